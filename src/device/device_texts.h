#pragma once
// The user texts of a transfer, in one place (the controller, the preparation and their tests).
namespace TYX::Device::Texts {

inline constexpr const char* kFormatRefused = "전송할 수 없는 파일 형식 입니다.";
inline constexpr const char* kBadMusic = "잘못된 음악입니다.";
inline constexpr const char* kLowBitrate = "%ikbps 파일을 지원하지 않습니다.";
inline constexpr const char* kHighBitrate = "%ikbps를 초과한 파일은 전송할 수 없습니다.";
inline constexpr const char* kCancelled = "사용자에 의해 취소되었습니다.";
inline constexpr const char* kDeleteFailed = "장치내의 파일을 삭제하지 못하였습니다.";
inline constexpr const char* kTransferError = "Transfer Error";
// A file name of which no phone name can be made.
inline constexpr const char* kBadName = "휴대폰에 저장할 수 있는 파일 이름을 만들 수 없습니다.";
// The Bluetooth link was suspended: nothing was sent.
inline constexpr const char* kSuspended = "블루투스 연결이 일시 중지되어 전송하지 못하였습니다.";

// Download texts for the observers; %s is the local copy's file name.
inline constexpr const char* kDownloadStart = "%s : 다운로드를 시작합니다.";
inline constexpr const char* kDownloadProgress = "%s : 다운로드 진행중(%d %%)";
inline constexpr const char* kDownloadDone = "다운로드가 완료되었습니다.";
inline constexpr const char* kDownloadFailed = "다운로드가 취소되었습니다.";

// Observer texts; the first %s is the file name of a web item's local copy (empty for other files).
inline constexpr const char* kNotifyStart = "%s : 휴대폰으로 전송을 시작합니다.";
inline constexpr const char* kNotifyProgress = "%s : 휴대폰으로 파일 전송 중(%d)";
inline constexpr const char* kNotifyDone = "%s : 전송이 완료되었습니다.";
inline constexpr const char* kNotifyFailed = "%s : 전송이 실패하하였습니다.(%s)";
inline constexpr const char* kNotifyCancelled = "%s : 전송이 사용자에 의해 취소되었습니다.";
// m_strLastError of a cancelled and of a failed file.
inline constexpr const char* kLastErrorCancelled = "전송취소(%s)";
inline constexpr const char* kLastErrorFailed = "전송실패(%s)";

}  // namespace TYX::Device::Texts
