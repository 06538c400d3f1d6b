#include "list_query.h"

#include <algorithm>

namespace TYX::Host {

namespace {

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

bool Has(const std::string& field, const std::string& lowerValue) {
  return Lower(field).find(lowerValue) != std::string::npos;
}

}  // namespace

std::string ListQuery::Parse(const std::vector<std::string>& terms) {
  static const char* fields[] = {"title", "artist", "album", "genre", "path"};
  terms_.clear();
  for (const std::string& t : terms) {
    Term term;
    term.given = t;
    const auto colon = t.find(':');
    if (colon != std::string::npos && colon > 0 &&
        std::all_of(t.begin(), t.begin() + static_cast<long>(colon), [](char c) { return c >= 'a' && c <= 'z'; })) {
      term.field = t.substr(0, colon);
      if (std::none_of(std::begin(fields), std::end(fields), [&](const char* f) { return term.field == f; }))
        return "unknown field '" + term.field + "' in '" + t + "' (fields: title, artist, album, genre, path)";
      term.value = Lower(t.substr(colon + 1));
    } else {
      term.value = Lower(t);
    }
    if (term.value.empty()) return "empty search term '" + t + "'";
    terms_.push_back(term);
  }
  return {};
}

bool ListQuery::Matches(const ListFields& f) const {
  for (const Term& t : terms_) {
    bool ok;
    if (t.field.empty())
      ok = Has(f.title, t.value) || Has(f.artist, t.value) || Has(f.album, t.value) || Has(f.genre, t.value) ||
           Has(f.path, t.value);
    else if (t.field == "title")
      ok = Has(f.title, t.value);
    else if (t.field == "artist")
      ok = Has(f.artist, t.value);
    else if (t.field == "album")
      ok = Has(f.album, t.value);
    else if (t.field == "genre")
      ok = Has(f.genre, t.value);
    else
      ok = Has(f.path, t.value);
    if (!ok) return false;
  }
  return true;
}

std::string ListQuery::Text() const {
  std::string out;
  for (const Term& t : terms_) out += (out.empty() ? "" : " ") + t.given;
  return out;
}

}  // namespace TYX::Host
