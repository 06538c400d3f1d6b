#pragma once
// The song information dialog ("곡 정보"): file name, title, album, album image, format, size, bit
// rate, sample rate, channels, highlight section and location of one file, read-only. SetFile fills
// the texts from the file's media object; a file that cannot be opened leaves them empty and the
// dialog still opens.
#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/skin_popup_dialog.h"

namespace TYX::Dialog {

class TYX_Dialog_FileProperty : public Controls::TYX_Skin_PopupDialog {
 public:
  // Window sizes with and without an album image (the second leaves room for the no-image line).
  static constexpr int kWidth = 384;
  static constexpr int kHeightWithImage = 387;
  static constexpr int kHeightWithoutImage = 416;
  static constexpr const char* kNoImageLine = "앨범 이미지가 없습니다. 곡 정보 편집을 통해 삽입하세요.";

  // The display texts, in the order of the labels.
  struct Texts {
    std::string fileName;
    std::string title;
    std::string album;
    std::string format;
    std::string size;
    std::string bitRate;
    std::string sampleRate;
    std::string channels;
    std::string highlight;
    std::string location;
    bool operator==(const Texts&) const = default;
  };

  explicit TYX_Dialog_FileProperty(Win::HWND parent = nullptr);
  ~TYX_Dialog_FileProperty() override;

  // Fills the texts from the file. False (texts left empty) when the path cannot be resolved or the
  // file cannot be opened as media.
  bool SetFile(const std::string& path);
  // 1 when the file carries an album image (its image data is not empty), else 0.
  static int IsAlbumImage(const std::string& path);

  const Texts& GetTexts() const { return texts_; }
  // The label and value pairs as the dialog draws them.
  std::vector<std::pair<std::string, std::string>> GetLines() const;
  // The album image the dialog shows (loaded on opening); empty when there is none.
  const std::vector<std::uint8_t>& GetImageData() const { return imageData_; }
  const std::string& GetImageType() const { return imageType_; }

  // The value texts, as the dialog writes them.
  static std::string SizeText(std::uint64_t bytes);               // "%d.%d MB", decimal megabytes
  static std::string BitRateText(std::uint32_t bitsPerSecond);    // "%d Kbps"
  static std::string SampleRateText(std::uint32_t hertz);         // "%.1f Khz"
  static std::string HighlightText(std::uint32_t startMs, std::uint32_t lengthMs);

 protected:
  Win::BOOL OnInitDialog() override;
  void PaintContent(Win::DisplayList& dc) override;

 private:
  // Reads the embedded image of the file for the image area.
  void LoadAlbumImage();

  std::string path_;  // window thread, like every field below
  Texts texts_;
  std::vector<std::uint8_t> imageData_;
  std::string imageType_;
};

}  // namespace TYX::Dialog
