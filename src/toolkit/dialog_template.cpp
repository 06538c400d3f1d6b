#include "toolkit/dialog_template.h"

#include <map>
#include <mutex>

namespace TYX::Controls {

namespace {
std::mutex g_templatesMutex;
std::map<UINT, TYX_DialogTemplate> g_templates;  // guarded by g_templatesMutex
}  // namespace

bool RegisterDialogTemplate(const TYX_DialogTemplate& dialogTemplate) {
  if (dialogTemplate.id == 0) return false;
  std::lock_guard<std::mutex> lk(g_templatesMutex);
  g_templates[dialogTemplate.id] = dialogTemplate;
  return true;
}

std::optional<TYX_DialogTemplate> FindDialogTemplate(UINT id) {
  std::lock_guard<std::mutex> lk(g_templatesMutex);
  auto it = g_templates.find(id);
  if (it == g_templates.end()) return std::nullopt;
  return it->second;
}

}  // namespace TYX::Controls
