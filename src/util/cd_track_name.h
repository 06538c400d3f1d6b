#pragma once
// Audio-CD track names: "%c:\Track%02d.cda", a drive letter and a track number counted from 1.
//
// CD drives are numbered from 0 in the order the audio-CD layer finds them. Which letter stands for
// which drive is kept here: the audio-CD layer (or the host) sets the letters with SetCDDriveLetters;
// until it does, drive n has the letter 'D' + n, the usual letters of a desktop's first CD drives.
#include <string>

namespace TYX::Util {

// Letters of the CD drives in drive order, for example "EF". Any thread; the table is locked.
void SetCDDriveLetters(const std::string& letters);
// "E:\" for the drive; false (letter emptied) for a drive without a letter.
bool GetCDDriveLetter(int drive, std::string& letter);
// Drive index and zero-based track of a track name ("E:\Track01.cda" -> drive of E, track 0). The
// letter, "Track" and ".cda" may be in any case; the number has at least two digits and starts at 1.
// False (outputs unchanged) for any other text or a letter of no CD drive.
bool GetCDAInfo(const std::string& path, int& drive, int& track);
// "E:\Track01.cda" for drive E and the zero-based track 0; empty for a drive without a letter.
std::string MakeCDATrackName(int drive, int track);

}  // namespace TYX::Util
