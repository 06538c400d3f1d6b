// Seeds for the settings file parser: whole files in the written form, and a few damaged ones.
#include <fstream>
#include <string>
#include <vector>

#include "util/settings_store.h"

using TYX::Util::TYX_SettingsStore;

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  using Type = TYX_SettingsStore::Type;
  const std::vector<std::vector<TYX_SettingsStore::Entry>> sets = {
      {},
      {{"HKEY_LOCAL_MACHINE\\SOFTWARE\\MERIDAL\\SonvarManager\\Music\\Ripping", "Format", {Type::Int, 1, ""}},
       {"HKEY_LOCAL_MACHINE\\SOFTWARE\\MERIDAL\\SonvarManager\\Music\\Ripping", "SavePath",
        {Type::Text, 0, "/home/user/음악"}}},
      {{"S\\1", "tab\there", {Type::Text, 0, "line1\r\nline2\\end\t"}}, {"S2", "", {Type::Int, 4294967295u, ""}}},
  };
  std::vector<std::string> files;
  for (const auto& set : sets) files.push_back(TYX_SettingsStore::Serialize(set));
  const std::string whole = files[1];
  files.push_back(whole.substr(0, whole.size() / 2));                     // cut short
  files.push_back("# TYX settings 1\nA\tB\ti\t007\n# end 1\n");           // a number in another form
  files.push_back("# TYX settings 1\nA\tB\tx\t1\n# end 1\n");             // unknown type
  files.push_back("# TYX settings 1\nA\tB\ti\t1\na\tb\ti\t2\n# end 2\n");  // given twice
  files.push_back("# TYX settings 1\nA\tB\ts\tbad\\q\n# end 1\n");        // bad escape
  int n = 0;
  for (const auto& f : files) {
    std::ofstream out(std::string(argv[1]) + "/seed" + std::to_string(n++), std::ios::binary);
    out << f;
  }
  return 0;
}
