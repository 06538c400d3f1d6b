#include "list_command.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <sstream>

#include "library/library_panel.h"
#include "toolkit/list_ctrl_ex.h"
#include "util/file_type.h"
#include "util/melody.h"

namespace TYX::Host {

namespace {

struct Column {
  const char* name;
  const char* header;
  const char* what;
  bool rightAligned;
};

const std::vector<Column>& Columns() {
  static const std::vector<Column> columns = {
      {"no", "#", "row number", true},
      {"title", "TITLE", "title (the file name when the song has none)", false},
      {"artist", "ARTIST", "artist", false},
      {"album", "ALBUM", "album", false},
      {"genre", "GENRE", "genre", false},
      {"year", "YEAR", "year", false},
      {"time", "TIME", "play time", true},
      {"format", "FORMAT", "format name (MP3, Ogg Vorbis, WAV, ...)", false},
      {"bitrate", "KBPS", "bit rate in kbit/s", true},
      {"size", "SIZE", "file size", true},
      {"poly", "POLY", "polyphony of a ringtone", true},
      {"path", "PATH", "file path (the track name for a CD track)", false},
      {"status", "STATUS", "'missing' when the file is gone, 'damaged' when it cannot be read", false},
  };
  return columns;
}

const Column* FindColumn(const std::string& name) {
  for (const Column& c : Columns())
    if (name == c.name) return &c;
  return nullptr;
}

std::string DefaultFormat(const std::string& page) {
  if (page == "ringtones") return "no,title,poly,format,size,status";
  if (page == "cd") return "no,title,time,format";
  return "no,title,artist,album,time,format,status";
}

// Panel columns by their header titles.
std::string PanelField(const std::string& title) {
  static const std::map<std::string, std::string> fields = {
      {"정렬", "no"}, {"곡명", "title"}, {"파일", "title"}, {"아티스트", "artist"}, {"앨범", "album"},
      {"시간", "time"}, {"화음", "poly"}, {"크기", "size"}};
  auto it = fields.find(title);
  return it == fields.end() ? std::string() : it->second;
}

std::string SizeText(std::uint64_t bytes) {
  char buf[32];
  if (bytes >= 1024 * 1024)
    std::snprintf(buf, sizeof buf, "%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
  else
    std::snprintf(buf, sizeof buf, "%.1f KB", static_cast<double>(bytes) / 1024.0);
  return buf;
}

// A file the media component could not read: present, but with neither a format nor a stream.
bool IsDamaged(const TYX_LibraryItem& item, const std::string& path) {
  // Ringtones and VIA files carry no facts the library reads, so they cannot look damaged.
  if (item.GetKind() != kItemKindFile || !item.IsFileExist() || Util::IsMelody(path) ||
      Util::GetFileTypeByName(path) == FileType::VIA)
    return false;
  return item.GetFormat().empty() && item.GetSampleRate() == 0 && item.GetDuration() == 0;
}

}  // namespace

std::string ListCommand::ColumnHelp() {
  std::string out;
  for (const Column& c : Columns()) out += "  " + std::string(c.name) + std::string(9 - std::string(c.name).size(), ' ') + c.what + "\n";
  return out;
}

int ListCommand::DisplayWidth(const std::string& text) {
  int width = 0;
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    std::uint32_t cp = b;
    int len = 1;
    if (b >= 0xF0) len = 4, cp = b & 0x07;
    else if (b >= 0xE0) len = 3, cp = b & 0x0F;
    else if (b >= 0xC0) len = 2, cp = b & 0x1F;
    for (int k = 1; k < len && i + static_cast<std::size_t>(k) < text.size(); ++k)
      cp = (cp << 6) | (static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]) & 0x3F);
    i += static_cast<std::size_t>(len);
    const bool wide = (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0xA4CF) ||
                      (cp >= 0xAC00 && cp <= 0xD7A3) || (cp >= 0xF900 && cp <= 0xFAFF) ||
                      (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFF60) ||
                      (cp >= 0xFFE0 && cp <= 0xFFE6) || (cp >= 0x20000 && cp <= 0x3FFFD);
    width += wide ? 2 : 1;
  }
  return width;
}

std::string ListCommand::FormatName(const std::string& path) {
  switch (Util::GetFileTypeByName(path)) {
    case FileType::MP3: return "MP3";
    case FileType::MP2: return "MP2";
    case FileType::MP1: return "MP1";
    case FileType::OGG: return "Ogg Vorbis";
    case FileType::WAV: return "WAV";
    case FileType::CDA: return "CD audio";
    case FileType::WMA: return "WMA";
    case FileType::ASF: return "ASF";
    case FileType::M4A: return "AAC (M4A)";
    case FileType::AAC: return "AAC";
    case FileType::AMR: return "AMR";
    case FileType::GPP: return "3GPP audio";
    case FileType::MIDI: return "MIDI";
    case FileType::MMF: return "SMAF";
    case FileType::MA2: return "SMAF MA-2";
    case FileType::MA3: return "SMAF MA-3";
    case FileType::AMF: return "AMF";
    case FileType::VIA: return "VIA";
    case FileType::ODF: return "OMA DRM";
    case FileType::OMA: return "OpenMG";
    case FileType::DCF: return "OMA DRM (DCF)";
    default: return "unknown";
  }
}

ListCommand::Result ListCommand::Run(HostSession& session, const Options& options) {
  Result r;
  ListQuery query;
  if (std::string e = query.Parse(options.query); !e.empty()) {
    r.exitCode = 2;
    r.error = e;
    return r;
  }
  std::vector<const Column*> columns;
  {
    std::stringstream names(options.format.empty() ? DefaultFormat(options.page.name) : options.format);
    std::string name;
    while (std::getline(names, name, ',')) {
      const Column* c = FindColumn(name);
      if (!c) {
        r.exitCode = 2;
        r.error = "unknown column '" + name + "' in --format (see 'sonvar ls --help')";
        return r;
      }
      columns.push_back(c);
    }
    if (columns.empty()) {
      r.exitCode = 2;
      r.error = "--format names no column";
      return r;
    }
  }
  if (std::string e = session.ShowPage(options.page); !e.empty()) {
    r.exitCode = 1;
    r.error = e;
    return r;
  }

  Library::TYX_LibraryPanel& panel = session.Frame().Panel();
  Controls::TYX_ListCtrlEx* list = panel.GetCurrentListCtrl();
  if (!list) {
    r.exitCode = 1;
    r.error = "the panel shows no list";
    return r;
  }
  // Which panel column holds each field the output or the query reads (-1: none).
  enum Field { kNo, kTitle, kArtist, kAlbum, kTime, kPoly, kSize, kFieldCount };
  static const char* const kFieldNames[kFieldCount] = {"no", "title", "artist", "album", "time", "poly", "size"};
  std::array<int, kFieldCount> columnOf{};
  columnOf.fill(-1);
  {
    const auto& panelColumns = list->GetColumns();
    for (int c = 0; c < static_cast<int>(panelColumns.size()); ++c) {
      const std::string field = PanelField(panelColumns[static_cast<std::size_t>(c)].title);
      for (int f = 0; f < kFieldCount; ++f)
        if (field == kFieldNames[f]) columnOf[static_cast<std::size_t>(f)] = c;
    }
  }
  // What each output column prints, decided once.
  enum class Source { Cell, Genre, Year, Format, Bitrate, Size, Path, Status };
  struct Output {
    Source source;
    int field;  // for Cell (and Size from the panel), kFieldCount when the panel has no such column
  };
  auto fieldIndex = [&](const std::string& name) {
    for (int f = 0; f < kFieldCount; ++f)
      if (name == kFieldNames[f]) return f;
    return static_cast<int>(kFieldCount);
  };
  std::vector<Output> outputs;
  for (const Column* c : columns) {
    const std::string n = c->name;
    if (n == "genre") outputs.push_back({Source::Genre, kFieldCount});
    else if (n == "year") outputs.push_back({Source::Year, kFieldCount});
    else if (n == "format") outputs.push_back({Source::Format, kFieldCount});
    else if (n == "bitrate") outputs.push_back({Source::Bitrate, kFieldCount});
    else if (n == "size") outputs.push_back({Source::Size, fieldIndex("size")});
    else if (n == "path") outputs.push_back({Source::Path, kFieldCount});
    else if (n == "status") outputs.push_back({Source::Status, kFieldCount});
    else outputs.push_back({Source::Cell, fieldIndex(n)});
  }
  auto cellText = [&](int row, int field) -> std::string {
    if (field >= kFieldCount) return {};
    const int col = columnOf[static_cast<std::size_t>(field)];
    return col < 0 ? std::string() : list->GetCellDisplayText(row, col);
  };

  // The lines' cells with their display widths, measured once.
  std::vector<std::vector<std::string>> table;
  std::vector<std::vector<int>> cellWidths;
  std::vector<int> widths(columns.size(), 0);
  if (options.header)
    for (std::size_t c = 0; c < columns.size(); ++c) widths[c] = DisplayWidth(columns[c]->header);
  const int rowCount = list->GetItemCount();
  table.reserve(static_cast<std::size_t>(rowCount));
  cellWidths.reserve(static_cast<std::size_t>(rowCount));
  int missing = 0, damaged = 0;
  for (int row = 0; row < rowCount; ++row) {
    const std::uint32_t index = panel.GetRowMediaLibIndex(row);
    TYX_LibraryItem* item = index == kNoLibraryIndex ? nullptr : session.Store().GetLibraryItem(index);
    const std::string path = item ? item->GetPath() : std::string();
    std::string genre;
    bool genreRead = false;
    auto readGenre = [&]() -> const std::string& {
      if (!genreRead && item) genre = item->GetGenre();
      genreRead = true;
      return genre;
    };
    if (!query.Empty()) {
      ListFields fields{cellText(row, kTitle), cellText(row, kArtist), cellText(row, kAlbum), readGenre(), path};
      if (!query.Matches(fields)) continue;
    }

    const char* status = "";
    if (list->GetItemField(row) == Library::TYX_LibraryPanel::kRowStatusMissing) {
      status = "missing";
      ++missing;
    } else if (item && IsDamaged(*item, path)) {
      status = "damaged";
      ++damaged;
    }

    std::vector<std::string> out;
    out.reserve(outputs.size());
    for (const Output& o : outputs) {
      switch (o.source) {
        case Source::Genre: out.push_back(readGenre()); break;
        case Source::Year: out.push_back(item ? item->GetYear() : ""); break;
        case Source::Format: out.push_back(path.empty() ? "" : FormatName(path)); break;
        case Source::Bitrate:
          out.push_back(item && item->GetBitRate() ? std::to_string(item->GetBitRate() / 1000) : "");
          break;
        case Source::Size:
          if (o.field < kFieldCount && columnOf[static_cast<std::size_t>(o.field)] >= 0) out.push_back(cellText(row, o.field));
          else out.push_back(item ? SizeText(item->GetFileSize()) : "");
          break;
        case Source::Path: out.push_back(path); break;
        case Source::Status: out.push_back(status); break;
        case Source::Cell: out.push_back(cellText(row, o.field)); break;
      }
    }
    std::vector<int> w(out.size());
    for (std::size_t c = 0; c < out.size(); ++c) {
      w[c] = DisplayWidth(out[c]);
      widths[c] = std::max(widths[c], w[c]);
    }
    table.push_back(std::move(out));
    cellWidths.push_back(std::move(w));
  }
  r.rows = static_cast<int>(table.size());

  // The lines; the last column is not padded.
  auto emit = [&](const std::vector<std::string>& line, const std::vector<int>& lineWidths) {
    const std::size_t start = r.table.size();
    for (std::size_t c = 0; c < columns.size(); ++c) {
      const int pad = widths[c] - lineWidths[c];
      const bool last = c + 1 == columns.size();
      if (columns[c]->rightAligned) {
        r.table.append(static_cast<std::size_t>(pad), ' ');
        r.table += line[c];
      } else {
        r.table += line[c];
        if (!last) r.table.append(static_cast<std::size_t>(pad), ' ');
      }
      if (!last) r.table += "  ";
    }
    while (r.table.size() > start && r.table.back() == ' ') r.table.pop_back();
    r.table += '\n';
  };
  if (options.header && !table.empty()) {
    std::vector<std::string> header;
    std::vector<int> headerWidths;
    for (const Column* c : columns) {
      header.push_back(c->header);
      headerWidths.push_back(DisplayWidth(c->header));
    }
    emit(header, headerWidths);
  }
  for (std::size_t i = 0; i < table.size(); ++i) emit(table[i], cellWidths[i]);

  const std::string noun = options.page.name == "ringtones" ? "ringtone" : options.page.name == "cd" ? "track" : "song";
  if (table.empty()) {
    r.summary = query.Empty() ? "the page '" + options.page.name + "' is empty"
                              : "nothing on the page '" + options.page.name + "' matches '" + query.Text() + "'";
  } else {
    r.summary = std::to_string(table.size()) + " " + noun + (table.size() == 1 ? "" : "s");
    if (missing) r.summary += ", " + std::to_string(missing) + " missing";
    if (damaged) r.summary += ", " + std::to_string(damaged) + " damaged";
  }
  return r;
}

}  // namespace TYX::Host
