// The worker's pure helpers on their tables, and the MP3 set-up rules.
#include <gtest/gtest.h>

#include <lame/lame.h>

#include "convert/extractor_helpers.h"
#include "convert/extractor_thread.h"
#include "convert/mp3_encoder.h"
#include "helpers/temp_dir.h"

using namespace TYX::Convert;

TEST(ExtractorHelpers, NormalizeSampleRate) {
  const std::pair<unsigned, unsigned> table[] = {{0, 44100},     {1, 8000},      {8000, 8000},   {8001, 11025},
                                                 {11025, 11025}, {11026, 12000}, {22050, 22050}, {24001, 32000},
                                                 {44100, 44100}, {44101, 48000}, {48000, 48000}, {48001, 44100},
                                                 {96000, 44100}};
  for (auto [in, out] : table) EXPECT_EQ(CExtractorThread::NormalizeSampleRate(in), out) << in;
}

TEST(ExtractorHelpers, NormalizeChannels) {
  EXPECT_EQ(CExtractorThread::NormalizeChannels(1), 1);
  EXPECT_EQ(CExtractorThread::NormalizeChannels(2), 2);
  EXPECT_EQ(CExtractorThread::NormalizeChannels(0), 2);
  EXPECT_EQ(CExtractorThread::NormalizeChannels(6), 2);
  EXPECT_EQ(CExtractorThread::NormalizeChannels(-1), 2);
}

TEST(ExtractorHelpers, RoundMp3Bitrate) {
  const std::pair<int, int> table[] = {{128, 128000}, {130, 144000}, {41, 48000},    {449, 8000},   {500000, 0},
                                       {-5, -1},      {0, 8000},     {448, 448000},  {448000, 448000},
                                       {448001, 0},   {8, 8000},     {320, 320000},  {321, 352000}};
  for (auto [in, out] : table) EXPECT_EQ(CExtractorThread::RoundMp3Bitrate(in), out) << in;
}

TEST(ExtractorHelpers, Layer3RatesFollowTheStandardOfTheSampleRate) {
  EXPECT_TRUE(IsLayer3Bitrate(44100, 320000));
  EXPECT_FALSE(IsLayer3Bitrate(44100, 8000));
  EXPECT_FALSE(IsLayer3Bitrate(44100, 144000));
  EXPECT_TRUE(IsLayer3Bitrate(22050, 64000));
  EXPECT_TRUE(IsLayer3Bitrate(22050, 144000));
  EXPECT_FALSE(IsLayer3Bitrate(22050, 192000));
  EXPECT_TRUE(IsLayer3Bitrate(8000, 8000));
  EXPECT_EQ(Mp3OutputRate(22050, 64), 22050u);
  EXPECT_EQ(Mp3OutputRate(22050, 192), 44100u);
  EXPECT_EQ(Mp3OutputRate(44101, 128), 48000u);
  EXPECT_EQ(Mp3OutputRate(44100, 130), 44100u);  // 144 kbps is no MPEG-1 rate: 44100 either way
  EXPECT_EQ(Mp3OutputRate(16000, 1005), 16000u);  // variable rate rounds to 8000 bps, an MPEG-2 rate
}

TEST(ExtractorHelpers, ConvertChannels) {
  std::int16_t mono[8] = {1, -2, 3, -4};
  EXPECT_EQ(ConvertChannels(reinterpret_cast<std::uint8_t*>(mono), 8, 1, 2), 16);
  const std::int16_t doubled[8] = {1, 1, -2, -2, 3, 3, -4, -4};
  EXPECT_TRUE(std::equal(mono, mono + 8, doubled));
  std::int16_t stereo[6] = {10, 20, 30, 40, 50, 60};
  EXPECT_EQ(ConvertChannels(reinterpret_cast<std::uint8_t*>(stereo), 12, 2, 1), 6);
  EXPECT_EQ(stereo[0], 10);
  EXPECT_EQ(stereo[1], 30);
  EXPECT_EQ(stereo[2], 50);
  std::int16_t same[2] = {7, 8};
  EXPECT_EQ(ConvertChannels(reinterpret_cast<std::uint8_t*>(same), 4, 2, 2), 4);
  EXPECT_EQ(ConvertChannels(reinterpret_cast<std::uint8_t*>(same), 0, 1, 2), 0);
  EXPECT_EQ(ConvertChannels(reinterpret_cast<std::uint8_t*>(same), -1, 1, 2), -1);
  EXPECT_EQ(same[0], 7);
}

TEST(ExtractorHelpers, ResultTexts) {
  EXPECT_EQ(CExtractorThread::ResultText(0), "작업이 성공적으로 종료하였습니다");
  EXPECT_EQ(CExtractorThread::ResultText(1), "CD를 읽을 수 없습니다");
  EXPECT_EQ(CExtractorThread::ResultText(2), "파일을 생성할 수 없습니다");
  EXPECT_EQ(CExtractorThread::ResultText(3), "디코드 에러가 발생하였습니다");
  EXPECT_EQ(CExtractorThread::ResultText(99), "파일을 생성할 수 없습니다");
  EXPECT_EQ(CExtractorThread::ResultText(12345), "파일을 생성할 수 없습니다");
}

TEST(ExtractorSetJob, OnlyMp3AndViaTakeRateChannelsAndLength) {
  CExtractorThread w;
  EXPECT_EQ(w.JobSampleRate(), 44100u);
  EXPECT_EQ(w.JobTargetChannels(), 2);
  w.SetJob(0, 0, "a.wav", 0, "b.wav", EXTRACT_FORMAT_WAV, 0, 10, 22050, 1, 1);
  EXPECT_EQ(w.JobSampleRate(), 44100u);
  EXPECT_EQ(w.JobTargetChannels(), 2);
  w.SetJob(0, 0, "a.wav", 0, "b.mp3", EXTRACT_FORMAT_MP3, 128, 10, 22000, 1, 7);
  EXPECT_EQ(w.JobSampleRate(), 22050u);
  EXPECT_EQ(w.JobTargetChannels(), 2);
  EXPECT_EQ(w.JobLength(), 10);
  w.SetJob(0, 0, "a.wav", 0, "b.via", EXTRACT_FORMAT_VIA, 128, 20, 44100, 2, 1);
  EXPECT_EQ(w.JobTargetChannels(), 1);
  w.SetJob(0, 0, "a.wav", 0, "b.ogg", EXTRACT_FORMAT_OGG, 128, 30, 8000, 2, 2);
  EXPECT_EQ(w.JobSampleRate(), 44100u);
  EXPECT_EQ(w.JobTargetChannels(), 1);
  EXPECT_EQ(w.JobLength(), 20);
}

TEST(Mp3SetUp, VariableQualityFixedRateAndOutputRate) {
  TYX::Test::TempDir dir;
  {
    Mp3Encoder e;
    ASSERT_EQ(e.Open(dir.File("a.mp3"), 1005, 2, 44100, 44100), 0);
    EXPECT_TRUE(e.IsVbr());
    EXPECT_EQ(e.VbrQuality(), 5);
    EXPECT_EQ(e.Mode(), JOINT_STEREO);
  }
  // A quality outside 0 to 9 is refused: LAME keeps its own default, whatever LAME's setter would do.
  lame_global_flags* fresh = lame_init();
  ASSERT_NE(fresh, nullptr);
  const int defaultQuality = lame_get_VBR_q(fresh);
  lame_close(fresh);
  ASSERT_NE(defaultQuality, 9);
  ASSERT_NE(defaultQuality, 0);
  for (const auto& [bitrate, quality] : {std::pair{1015, defaultQuality}, std::pair{1010, defaultQuality},
                                         std::pair{1009, 9}, std::pair{1001, 1}}) {
    Mp3Encoder e;
    ASSERT_EQ(e.Open(dir.File("b.mp3"), bitrate, 2, 44100, 44100), 0);
    EXPECT_TRUE(e.IsVbr());
    EXPECT_EQ(e.VbrQuality(), quality) << bitrate;
  }
  {
    Mp3Encoder e;
    ASSERT_EQ(e.Open(dir.File("c.mp3"), 128, 1, 44100, 44100), 0);
    EXPECT_FALSE(e.IsVbr());
    EXPECT_EQ(e.Bitrate(), 128);
    EXPECT_EQ(e.Mode(), MONO);
  }
  {
    Mp3Encoder e;
    ASSERT_EQ(e.Open(dir.File("d.mp3"), 64, 2, 22050, 22050), 0);
    EXPECT_EQ(e.OutSampleRate(), 22050);
  }
  {
    Mp3Encoder e;
    ASSERT_EQ(e.Open(dir.File("e.mp3"), 192, 2, 22050, 22050), 0);
    EXPECT_EQ(e.OutSampleRate(), 44100);
  }
  Mp3Encoder bad;
  EXPECT_EQ(bad.Open(dir.File("none/x.mp3"), 128, 2, 44100, 44100), 2);
}
