#include "toolkit/message_box.h"

#include <algorithm>
#include <cstdio>

#include "platform/window.h"

namespace TYX::Controls {

using namespace Win;

namespace {

int Ask(MessageBoxRequest& request, bool* checked) {
  // A dead owner is shown as no owner rather than refused: the question still has to be asked.
  if (!IsWindow(request.owner)) request.owner = nullptr;
  const MessageBoxAnswer answer = GetUserAgent()->ShowMessageBox(request);
  const std::vector<int> offered = request.Buttons();
  int button = answer.button;
  if (std::find(offered.begin(), offered.end(), button) == offered.end()) {
    std::fprintf(stderr, "TYX_MessageBox: the answer %d is not a button of type 0x%X; taking the default %d\n",
                 button, request.type, request.DefaultButton());
    button = request.DefaultButton();
  }
  if (checked && !request.checkBoxText.empty()) *checked = answer.checked;
  return button;
}

}  // namespace

int TYX_MessageBox::Show(HWND owner, const std::string& text, const std::string& caption, UINT type) {
  MessageBoxRequest request;
  request.owner = owner;
  request.text = text;
  request.caption = caption;
  request.type = type;
  return Ask(request, nullptr);
}

int TYX_MessageBox::Show(HWND owner, const std::string& text, const std::string& caption, UINT type,
                         const std::string& checkBoxText, bool& checked) {
  MessageBoxRequest request;
  request.owner = owner;
  request.text = text;
  request.caption = caption;
  request.type = type;
  request.checkBoxText = checkBoxText;
  request.checkBoxState = checked;
  return Ask(request, &checked);
}

}  // namespace TYX::Controls
