#include "toolkit/skin_popup_dialog.h"

#include "toolkit/check_box.h"
#include "toolkit/combo_box.h"
#include "toolkit/dialog_template.h"
#include "toolkit/edit.h"
#include "toolkit/progress_bar.h"
#include "toolkit/radio_button.h"
#include "toolkit/skin_button.h"
#include "toolkit/static_text.h"

namespace TYX::Controls {

using namespace Win;

TYX_Skin_PopupDialog::TYX_Skin_PopupDialog(UINT templateId, HWND parent) : TYX_Skin_Popup(templateId, parent) {
  if (auto t = FindDialogTemplate(templateId)) {
    // The template gives the size and title; the owner of the dialog may still change both.
    SetWindowSize(t->size.cx, t->size.cy);
    if (!t->title.empty()) SetTitle(t->title);
  }
}

TYX_Skin_PopupDialog::~TYX_Skin_PopupDialog() = default;

BOOL TYX_Skin_PopupDialog::OnInitDialog() {
  TYX_Skin_Popup::OnInitDialog();
  BuildTemplate();
  return TRUE;
}

void TYX_Skin_PopupDialog::BuildTemplate() {
  templateControls_.clear();
  auto t = FindDialogTemplate(GetTemplateId());
  if (!t) return;
  for (const auto& c : t->controls) {
    std::unique_ptr<Window> w;
    bool ok = false;
    switch (c.kind) {
      case TYX_ControlTemplate::Kind::Static: {
        auto s = std::make_unique<TYX_StaticText>();
        ok = s->CreateStatic(GetSafeHwnd(), c.rect, c.id, c.text, c.style);
        w = std::move(s);
        break;
      }
      case TYX_ControlTemplate::Kind::Button: {
        auto b = std::make_unique<TYX_SkinButton>();
        ok = b->CreateSkinButton(GetSafeHwnd(), c.rect, c.id, c.text, c.style);
        w = std::move(b);
        break;
      }
      case TYX_ControlTemplate::Kind::Progress: {
        auto p = std::make_unique<TYX_ProgressBar>();
        ok = p->CreateProgress(GetSafeHwnd(), c.rect, c.id, c.style);
        w = std::move(p);
        break;
      }
      case TYX_ControlTemplate::Kind::Edit: {
        auto e = std::make_unique<TYX_Edit>();
        ok = e->CreateEdit(GetSafeHwnd(), c.rect, c.id, c.text, c.style);
        w = std::move(e);
        break;
      }
      case TYX_ControlTemplate::Kind::Combo: {
        auto cb = std::make_unique<TYX_ComboBox>();
        ok = cb->CreateCombo(GetSafeHwnd(), c.rect, c.id, c.style);
        w = std::move(cb);
        break;
      }
      case TYX_ControlTemplate::Kind::CheckBox: {
        auto cb = std::make_unique<TYX_CheckBox>();
        ok = cb->CreateCheckBox(GetSafeHwnd(), c.rect, c.id, c.text, c.style);
        w = std::move(cb);
        break;
      }
      case TYX_ControlTemplate::Kind::Radio: {
        auto r = std::make_unique<TYX_RadioButton>();
        ok = r->CreateRadio(GetSafeHwnd(), c.rect, c.id, c.text, 0, c.style);
        w = std::move(r);
        break;
      }
    }
    if (ok) templateControls_.push_back(std::move(w));
  }
}

bool TYX_Skin_PopupDialog::ReplaceControlWith(UINT id, Window& replacement) {
  Window* old = Window::FromHandle(GetDlgItem(id));
  if (!old) return false;
  const HWND parent = old->GetParent();
  const Rect rc = old->GetRectInParent();
  const DWORD style = old->GetStyle();
  const std::string text = old->GetWindowText();
  old->DestroyWindow();
  return replacement.Create(parent, rc, style, id, text);
}

bool TYX_Skin_PopupDialog::ClickButton(UINT id) {
  auto* b = GetControl<TYX_SkinButton>(id);
  return b && b->Click();
}

void TYX_Skin_PopupDialog::AddDrawText(const Rect& box, const std::string& text, const Font& font, COLORREF color) {
  drawInfo_.Text(box, text, font, color);
  Invalidate();
}

void TYX_Skin_PopupDialog::AddDrawFill(const Rect& box, COLORREF color) {
  drawInfo_.FillRect(box, color);
  Invalidate();
}

void TYX_Skin_PopupDialog::AddDrawImage(UINT skinId, const Rect& box) {
  drawInfo_.Image(skinId, box);
  Invalidate();
}

void TYX_Skin_PopupDialog::ClearDrawInfo() {
  drawInfo_.Clear();
  Invalidate();
}

void TYX_Skin_PopupDialog::PaintContent(DisplayList& dc) {
  TYX_Skin_Popup::PaintContent(dc);
  for (const auto& item : drawInfo_.Items()) {
    switch (item.kind) {
      case DrawItem::Kind::FillRect: dc.FillRect(item.rect, item.color); break;
      case DrawItem::Kind::Line: dc.Line(item.from, item.to, item.color); break;
      case DrawItem::Kind::Text: dc.Text(item.rect, item.text, item.font, item.color); break;
      case DrawItem::Kind::Image: dc.Image(item.imageId, item.rect); break;
    }
  }
}

}  // namespace TYX::Controls
