#include "host_session.h"

#include <filesystem>

#include "components/audio/cd_drive.h"
#include "library/band_tree_wnd.h"
#include "platform/messaging.h"
#include "platform/user_agent.h"
#include "util/skin.h"

namespace TYX::Host {

HostSession::HostSession() = default;

HostSession::~HostSession() {
  frame_.reset();
  store_.reset();
}

std::string HostSession::Open(const Options& options) {
  namespace fs = std::filesystem;
  location_ = std::make_unique<DataLocation>(options.dataFolder);
  std::error_code ec;
  if (!options.createLibrary && !fs::exists(location_->LibraryFile(), ec)) {
    if (location_->IsCustom() && !fs::is_directory(options.dataFolder, ec))
      return "no such data folder: " + options.dataFolder;
    return "no library at " + location_->LibraryFile() + "; add music first with 'sonvar import FOLDER'";
  }
  for (const std::string& image : options.cdImages) {
    if (!fs::is_regular_file(image, ec)) return "no such CD image: " + image;
  }
  location_->Apply();

  // Without an agent of the command's own, prompts get their default answer and are logged.
  Win::SetUserAgent(options.agent ? options.agent : std::make_shared<Win::HeadlessUserAgent>());
  if (!TYX_Skin::LoadDefault()) return "the default skin cannot be loaded";
  if (!options.cdImages.empty()) Audio::SetAudioCD(Audio::CreateCdioAudioCD(options.cdImages, true));
  cdDrives_ = Audio::AudioCD() ? Audio::AudioCD()->DriveCount() : 0;

  auto opened = Store::TYX_LibraryStore::Open(location_->LibraryFile());
  if (!opened.store) return "the library " + location_->LibraryFile() + " cannot be opened: " + opened.error;
  store_ = std::move(opened.store);

  frame_ = std::make_unique<HostFrame>(store_.get());
  if (!frame_->CreateFrame(PageDirectory::SidebarLayout(cdDrives_))) return "the windows cannot be created";
  Win::PumpMessages();
  return {};
}

std::string HostSession::ShowPage(const PageEntry& page) {
  Library::TYX_BandWnd& band = frame_->Band();
  if (page.name == "cd") {
    if (cdDrives_ == 0) return "no CD drive or CD image found (give an image with --cd-image FILE.cue)";
    Library::TYX_BandTreeWnd* tree = band.GetBandTreeWnd(page.band);
    if (!tree || !tree->GetBandTreeCtrl().ClickNode(band.GetBandItemFromData(page.band, 0)))
      return "the CD drive's node cannot be clicked";
  } else {
    Library::TYX_BandButton* button = band.GetItemButton(page.band);
    if (!button || !button->Click()) return "the '" + page.name + "' band cannot be clicked";
  }
  Win::PumpMessages();
  return {};
}

}  // namespace TYX::Host
