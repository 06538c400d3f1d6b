#pragma once
// File-type numbers (TYX_FILETYPE) of paths, by one table.
//
//  code  extensions      kind                               panel icon  convert   on-phone music
//  ----  --------------  ---------------------------------  ----------  --------  --------------
//   0    -               unknown, missing file, or folder   1           no        no
//   1    mp3             MPEG layer 3                       1           generic   yes (see below)
//   2    mp2             MPEG layer 2                       1           generic   no
//   3    mp1, mpa        MPEG layer 1                       1           generic   no
//   4    ogg             Ogg Vorbis                         3           generic   yes
//   5    wav             PCM wave                           4           generic   no
//   7    cda             audio-CD track name                1           no        no
//   8    wma             Windows Media Audio                2           WMA       yes
//   9    asf             Advanced Streaming Format          5           WMA       yes
//  10    m4a             AAC in MPEG-4                      7           no        yes
//  11    aac             raw AAC                            6           no        yes
//  12    amr             AMR                                8           no        yes
//  13    3ga             3GPP audio                         1           no        yes
//  16    mid, midi       MIDI melody                        19          no        no (ring-tone)
//  20    mmf             SMAF melody                        12          no        no (ring-tone)
//  21    ma2             SMAF MA-2 melody                   11          no        no (ring-tone)
//  22    ma3             SMAF MA-3 melody                   13          no        no (ring-tone)
//  23    amf             AMF melody                         14          no        no (ring-tone)
//  24    via             VIA                                10          VIA       no
//  25    odf             OMA DRM v2 content                 16          no        yes
//  26    oma             OpenMG audio                       1           no        yes
//  27    flac            FLAC lossless                      1           no        no
//  28    opus            Opus in Ogg                        1           no        no
//  32    dcf             OMA DRM content bound to a phone   20          no        yes (never synced)
//
// Why these numbers. Conversion needs 1 for MP3 and 24 for VIA, picks its decoder from 1-5, 8-9 and 24,
// and refuses 10, 11, 25, 26 and 32 outright; the panel's icon table names 4, 5, 8-12, 16, 20-25 and 32.
// Melodies get numbers outside 10-13, 25, 26 and 32 on purpose: the transfer controller deletes, in sync
// mode, the phone's music files that are not listed, and ring-tones must never be among them.
// The controller also builds its index of music already on the phone from the codes 10-13, 25, 26 and 32,
// but the phone family only accepts MP3 files, which are 1 everywhere else (conversion tells "same
// format" by 1, and the album-image step works on type 1). One number cannot be both, so the on-phone
// test is its own function: IsDeviceMusicFileType accepts 1, 4, 8, 9 (the formats phones and storage
// players take) beside 10-13, 25, 26 and 32. The phone listing gives bare names that do not exist on
// this computer, so that index classifies with GetFileTypeByName, which does not look at the disk.
// FLAC (27) and Opus (28) are library formats only: numbers of their own, outside every range above, so
// no icon, conversion or phone rule takes them for another format; M4A files share 10 with phone music.
#include <string>

namespace TYX {

using TYX_FILETYPE = int;

namespace FileType {
constexpr TYX_FILETYPE Unknown = 0;
constexpr TYX_FILETYPE MP3 = 1;
constexpr TYX_FILETYPE MP2 = 2;
constexpr TYX_FILETYPE MP1 = 3;
constexpr TYX_FILETYPE OGG = 4;
constexpr TYX_FILETYPE WAV = 5;
constexpr TYX_FILETYPE CDA = 7;
constexpr TYX_FILETYPE WMA = 8;
constexpr TYX_FILETYPE ASF = 9;
constexpr TYX_FILETYPE M4A = 10;
constexpr TYX_FILETYPE AAC = 11;
constexpr TYX_FILETYPE AMR = 12;
constexpr TYX_FILETYPE GPP = 13;
constexpr TYX_FILETYPE MIDI = 16;
constexpr TYX_FILETYPE MMF = 20;
constexpr TYX_FILETYPE MA2 = 21;
constexpr TYX_FILETYPE MA3 = 22;
constexpr TYX_FILETYPE AMF = 23;
constexpr TYX_FILETYPE VIA = 24;
constexpr TYX_FILETYPE ODF = 25;
constexpr TYX_FILETYPE OMA = 26;
constexpr TYX_FILETYPE FLAC = 27;
constexpr TYX_FILETYPE OPUS = 28;
constexpr TYX_FILETYPE DCF = 32;
}  // namespace FileType

namespace Util {

// The type of an existing file by its extension (case ignored); 0 for a missing file, a folder, or an
// extension not in the table. Audio-CD track names ("E:\Track01.cda") are typed by name, as they are not
// files.
TYX_FILETYPE GetFileType(const std::string& path);
// The type by the extension alone, without looking at the disk.
TYX_FILETYPE GetFileTypeByName(const std::string& name);
// Music that a phone or storage player holds (see the table comment).
bool IsDeviceMusicFileType(TYX_FILETYPE type);
// Types the conversion can decode: 1-5, 8, 9 and 24.
bool IsConvertibleFileType(TYX_FILETYPE type);
// Melody (ring-tone) types: 16 and 20-23.
bool IsMelodyFileType(TYX_FILETYPE type);

}  // namespace Util
}  // namespace TYX
