// The report dialog as a person sees it: counts, the list of failures, the short all-done page, the
// guide steps, and the store link.
#include <gtest/gtest.h>

#include <memory>

#include "device/dialog_error_report.h"
#include "helpers/scripted_user_agent.h"
#include "platform/messaging.h"
#include "platform/user_agent.h"

namespace TYX::Test {
namespace {

using Dialog::TYX_Dialog_Error_Report;
using Entry = TYX_Dialog_Error_Report::DEVICE_SYNC_CHECK_FILE_LIST;

bool Drew(const Win::DisplayList& list, const std::string& text) {
  for (const auto& item : list.Items()) {
    if (item.kind == Win::DrawItem::Kind::Text && item.text == text) return true;
  }
  return false;
}

std::vector<Entry> Failures(int n) {
  std::vector<Entry> out;
  for (int i = 0; i < n; ++i) {
    const std::string name = "song" + std::to_string(i) + ".mp3";
    out.push_back({"/music/", name, name, "전송실패(기기의 메모리가 부족합니다.)"});
  }
  return out;
}

class ReportDialog : public ::testing::Test {
 protected:
  // Opens the dialog as the panel does (without a modal loop, so the test can look at it).
  std::unique_ptr<TYX_Dialog_Error_Report> Open(int step, std::vector<Entry> files, int total) {
    auto dlg = std::make_unique<TYX_Dialog_Error_Report>(nullptr, TYX_Dialog_Error_Report::PageKind_DeviceTransfer);
    dlg->SetStep(step);
    dlg->SetFileList(std::move(files));
    dlg->SetTotal(total);
    EXPECT_TRUE(dlg->CreateDialogWindow());
    return dlg;
  }
};

TEST_F(ReportDialog, StartsWithZeroCountsAndTheDownloadTitle) {
  TYX_Dialog_Error_Report dlg(nullptr, TYX_Dialog_Error_Report::PageKind_DeviceTransfer);
  EXPECT_EQ(dlg.GetFailedText(), "전송 실패 곡 수 : 0곡");
  EXPECT_EQ(dlg.GetCompletedText(), "전송 완료 곡 수 : 0곡 / 총 0곡");
  EXPECT_EQ(dlg.GetTitle(), "다운로드");
}

TEST_F(ReportDialog, TenFailuresOfTwelveListEachWithItsReason) {
  auto dlg = Open(TYX_Dialog_Error_Report::kStepResult, Failures(10), 12);
  EXPECT_EQ(dlg->GetCompletedText(), "전송 완료 곡 수 : 2곡 / 총 12곡");
  EXPECT_EQ(dlg->GetFailedText(), "전송 실패 곡 수 : 10곡");
  EXPECT_EQ(dlg->GetWindowRect().Height(), 300);
  auto* list = dlg->GetErrorList();
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(list->IsVisibleFlag());
  ASSERT_EQ(list->GetItemCount(), 10);
  EXPECT_EQ(list->GetCellText(0, 0), "1");
  EXPECT_EQ(list->GetCellText(9, 0), "10");
  EXPECT_EQ(list->GetCellText(3, 1), "song3.mp3");
  EXPECT_EQ(list->GetCellText(3, 2), "전송실패(기기의 메모리가 부족합니다.)");
  EXPECT_EQ(dlg->GetRowHint(3), "전송실패(기기의 메모리가 부족합니다.)");
  EXPECT_EQ(dlg->GetRowHint(10), "");
  EXPECT_TRUE(Drew(dlg->GetDrawInfo(), "전송 완료 곡 수 : 2곡 / 총 12곡"));
  EXPECT_TRUE(Drew(dlg->GetDrawInfo(), "전송 실패 곡 수 : 10곡"));
  EXPECT_FALSE(Drew(dlg->GetDrawInfo(), "선택한 파일이 기기로 모두 전송되었습니다."));
  EXPECT_EQ(dlg->GetButtonSet(), Controls::TYX_Skin_Popup::kButtonSetClose);
}

TEST_F(ReportDialog, WithoutATotalTheCompletedCountIsNeverNegative) {
  auto dlg = Open(TYX_Dialog_Error_Report::kStepResult, Failures(3), 0);
  EXPECT_EQ(dlg->GetCompletedText(), "전송 완료 곡 수 : 0곡 / 총 3곡");
}

TEST_F(ReportDialog, ATransferWithoutFailuresShowsTheShortPage) {
  auto dlg = Open(TYX_Dialog_Error_Report::kStepResult, {}, 7);
  EXPECT_EQ(dlg->GetWindowRect().Height(), 222);
  EXPECT_EQ(dlg->GetWindowRect().Width(), 494);
  EXPECT_FALSE(dlg->GetErrorList()->IsVisibleFlag());
  EXPECT_TRUE(Drew(dlg->GetDrawInfo(), "선택한 파일이 기기로 모두 전송되었습니다."));
  EXPECT_TRUE(Drew(dlg->GetDrawInfo(), "전송 완료 곡 수 : 7곡 / 총 7곡"));
  EXPECT_TRUE(Drew(dlg->GetDrawInfo(), "기기전송"));
}

TEST_F(ReportDialog, ModeButtonsActOnlyOnTheResultPage) {
  auto result = Open(TYX_Dialog_Error_Report::kStepResult, {}, 1);
  EXPECT_EQ(result->GetAutoMode(), 1);
  result->SendMessage(Win::WM_COMMAND, Win::MAKEWPARAM(TYX_Dialog_Error_Report::kModeHandId, Win::BN_CLICKED), 0);
  EXPECT_EQ(result->GetAutoMode(), 0);
  result->SendMessage(Win::WM_COMMAND, Win::MAKEWPARAM(TYX_Dialog_Error_Report::kModeAutoId, Win::BN_CLICKED), 0);
  EXPECT_EQ(result->GetAutoMode(), 1);

  auto guide = Open(TYX_Dialog_Error_Report::kStepGuideAuto, {}, 0);
  guide->SendMessage(Win::WM_COMMAND, Win::MAKEWPARAM(TYX_Dialog_Error_Report::kModeHandId, Win::BN_CLICKED), 0);
  EXPECT_EQ(guide->GetAutoMode(), 1);
  EXPECT_TRUE(Drew(guide->GetDrawInfo(), "음악이 자동으로 전송 됩니다."));
  EXPECT_EQ(guide->GetButtonSet(), Controls::TYX_Skin_Popup::kButtonSetConfirm);
}

TEST_F(ReportDialog, TheCheckBoxOfTheQuestionIsReadAfterClosing) {
  auto ask = Open(TYX_Dialog_Error_Report::kStepAskSend, {}, 0);
  EXPECT_EQ(ask->GetButtonSet(), Controls::TYX_Skin_Popup::kButtonSetYesNo);
  EXPECT_TRUE(Drew(ask->GetDrawInfo(), "[내 기기에 담을 곡 목록]의 음악을 기기에 전송하시겠습니까?"));
  auto* box = ask->GetControl<Controls::TYX_CheckBox>(TYX_Dialog_Error_Report::kCheckCloseId);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->GetWindowText(), "다시는 이 창을 열지 않음");
  ASSERT_TRUE(box->Click());
  EXPECT_EQ(ask->GetNoMoreShow(), 1);
  ASSERT_TRUE(box->Click());
  EXPECT_EQ(ask->GetNoMoreShow(), 0);
  // The result page has no such box to tick.
  auto result = Open(TYX_Dialog_Error_Report::kStepResult, {}, 1);
  EXPECT_FALSE(result->GetControl<Controls::TYX_CheckBox>(TYX_Dialog_Error_Report::kCheckCloseId)->Click());
}

TEST_F(ReportDialog, TheStoreLinkIsPassedToTheContentWindowAndCloses) {
  auto agent = std::make_shared<ScriptedUserAgent>();
  Win::SetUserAgent(agent);
  Win::Window contents;
  std::vector<std::pair<Win::WPARAM, Win::LPARAM>> got;
  contents.OnMessage(TYX_Dialog_Error_Report::WM_STORE_NAVIGATE, [&](Win::WPARAM w, Win::LPARAM l) -> Win::LRESULT {
    got.emplace_back(w, l);
    return 0;
  });
  ASSERT_TRUE(contents.Create(nullptr, Win::Rect{0, 0, 10, 10}, 0));
  TYX_Dialog_Error_Report dlg(nullptr, TYX_Dialog_Error_Report::PageKind_DeviceTransfer);
  dlg.SetStep(TYX_Dialog_Error_Report::kStepGuideFill);
  dlg.SetContentsWindow(contents.GetSafeHwnd());
  dlg.SetUrl("store://album/7");
  agent->OnNextModal([](Win::Window& w) { w.SendMessage(TYX_Dialog_Error_Report::WM_STORE_COMPLEX_NAVIGATE, 7, 9); });
  EXPECT_EQ(dlg.DoModal(), 1);
  Win::PumpMessages();
  EXPECT_EQ(got, (std::vector<std::pair<Win::WPARAM, Win::LPARAM>>{{7, 9}}));
  Win::SetUserAgent(nullptr);
}

}  // namespace
}  // namespace TYX::Test
