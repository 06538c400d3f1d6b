#pragma once
// What `sonvar ls` narrows a page to: terms that must all match. "genre:Ballad", "artist:...",
// "album:...", "title:..." and "path:..." test one field; a bare word tests the title, artist, album,
// genre and path. Matching ignores ASCII letter case and finds the text anywhere in the field.
#include <string>
#include <vector>

namespace TYX::Host {

struct ListFields {
  std::string title, artist, album, genre, path;
};

class ListQuery {
 public:
  // Empty on success, else the reason (an unknown field name, an empty value).
  std::string Parse(const std::vector<std::string>& terms);
  bool Matches(const ListFields& fields) const;
  bool Empty() const { return terms_.empty(); }
  // The terms as given, joined by spaces, for messages.
  std::string Text() const;

 private:
  struct Term {
    std::string field;  // empty: any field
    std::string value;  // lower case
    std::string given;
  };
  std::vector<Term> terms_;
};

}  // namespace TYX::Host
