#include "components/html/page_script.h"

#include <duktape.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>

#include "components/html/page_document.h"
#include "components/html/script_heap_hooks.h"
#include "util/log.h"

namespace TYX::Html {

namespace Detail {

int ExecTimeoutCheck(void* udata) {
  auto* state = static_cast<ScriptHeapState*>(udata);
  if (state == nullptr || state->depth == 0) return 0;
  if (!state->expired && std::chrono::steady_clock::now() > state->deadline) state->expired = true;
  return state->expired || state->exhausted ? 1 : 0;
}

}  // namespace Detail

namespace {

using Detail::ScriptHeapState;

// Each block carries its size in front, so the heap's use can be counted and capped.
constexpr std::size_t kBlockHeader = alignof(std::max_align_t);

// Whether a heap may grow by some bytes. Once a script entry hits the limit it gets nothing more
// until it ends: otherwise every allocation near the limit would run a full collection first, and a
// script filling the heap would take minutes to fail.
bool MayGrow(ScriptHeapState* state, std::size_t oldSize, std::size_t newSize) {
  if (newSize <= oldSize) return true;
  if (state->depth > 0 && state->exhausted) return false;
  if (newSize > state->limit || state->used - oldSize + newSize > state->limit) {
    if (state->depth > 0) state->exhausted = true;
    return false;
  }
  return true;
}

void* HeapAlloc(void* udata, duk_size_t size) {
  auto* state = static_cast<ScriptHeapState*>(udata);
  if (!MayGrow(state, 0, size)) return nullptr;
  auto* base = static_cast<unsigned char*>(std::malloc(size + kBlockHeader));
  if (base == nullptr) return nullptr;
  std::memcpy(base, &size, sizeof size);
  state->used += size;
  return base + kBlockHeader;
}

void HeapFree(void* udata, void* ptr) {
  if (ptr == nullptr) return;
  auto* state = static_cast<ScriptHeapState*>(udata);
  unsigned char* base = static_cast<unsigned char*>(ptr) - kBlockHeader;
  std::size_t size = 0;
  std::memcpy(&size, base, sizeof size);
  state->used -= size;
  std::free(base);
}

void* HeapRealloc(void* udata, void* ptr, duk_size_t size) {
  if (ptr == nullptr) return HeapAlloc(udata, size);
  if (size == 0) {
    HeapFree(udata, ptr);
    return nullptr;
  }
  auto* state = static_cast<ScriptHeapState*>(udata);
  unsigned char* base = static_cast<unsigned char*>(ptr) - kBlockHeader;
  std::size_t old = 0;
  std::memcpy(&old, base, sizeof old);
  if (!MayGrow(state, old, size)) return nullptr;
  auto* grown = static_cast<unsigned char*>(std::realloc(base, size + kBlockHeader));
  if (grown == nullptr) return nullptr;
  std::memcpy(grown, &size, sizeof size);
  state->used = state->used - old + size;
  return grown + kBlockHeader;
}

// Only reached for an error outside every protected call, which the engine never makes.
void HeapFatal(void*, const char* message) {
  Util::TYX_Log::Instance()->Add("TYX_PageScript fatal : %s", message ? message : "");
  std::abort();
}

// The outermost entry from outside sets the run-time budget; nested entries share it.
class Entry {
 public:
  Entry(ScriptHeapState& state, std::chrono::milliseconds budget) : state_(state) {
    if (state_.depth++ == 0) {
      state_.deadline = std::chrono::steady_clock::now() + budget;
      state_.expired = false;
      state_.exhausted = false;
    }
  }
  ~Entry() { --state_.depth; }
  Entry(const Entry&) = delete;
  Entry& operator=(const Entry&) = delete;

 private:
  ScriptHeapState& state_;
};

// Restores the value stack to its height at construction.
class StackGuard {
 public:
  explicit StackGuard(duk_context* ctx) : ctx_(ctx), top_(duk_get_top(ctx)) {}
  ~StackGuard() { duk_set_top(ctx_, top_); }
  StackGuard(const StackGuard&) = delete;
  StackGuard& operator=(const StackGuard&) = delete;

 private:
  duk_context* ctx_;
  duk_idx_t top_;
};

duk_ret_t LineNumberOf(duk_context* ctx, void*) {
  duk_get_prop_string(ctx, -1, "lineNumber");
  return 1;
}

// The error at the top of the stack as one line: its text and, when known, its line. Nothing here can
// throw outside a protected call, even when the page has replaced the error's properties.
std::string ErrorText(duk_context* ctx) {
  int line = -1;
  if (duk_is_error(ctx, -1)) {
    duk_dup(ctx, -1);
    if (duk_safe_call(ctx, LineNumberOf, nullptr, 1, 1) == 0 && duk_is_number(ctx, -1)) line = duk_get_int(ctx, -1);
    duk_pop(ctx);
  }
  std::string text = duk_safe_to_string(ctx, -1);
  if (line >= 0) text += " (line " + std::to_string(line) + ")";
  return text;
}

// Runs a body inside one protected call: whatever it throws (a script error, a time-out, an
// allocation failure, a getter of the page) comes back as an Exception outcome, never as a fatal error.
struct ProtectedBody {
  const std::function<void(duk_context*)>* body;
};

duk_ret_t RunProtectedBody(duk_context* ctx, void* udata) {
  (*static_cast<ProtectedBody*>(udata)->body)(ctx);
  return 0;
}

bool Protected(duk_context* ctx, const std::function<void(duk_context*)>& body, std::string* error) {
  ProtectedBody call{&body};
  if (duk_safe_call(ctx, RunProtectedBody, &call, 0, 1) != 0) {
    if (error != nullptr) *error = ErrorText(ctx);
    duk_pop(ctx);
    return false;
  }
  duk_pop(ctx);
  return true;
}

std::string ResultText(duk_context* ctx) {
  if (duk_is_undefined(ctx, -1) || duk_is_null(ctx, -1)) return {};
  duk_size_t length = 0;
  const char* text = duk_safe_to_lstring(ctx, -1, &length);
  return std::string(text ? text : "", length);
}

TYX_PageScript* Self(duk_context* ctx) {
  duk_push_heap_stash(ctx);
  duk_get_prop_string(ctx, -1, "self");
  auto* self = static_cast<TYX_PageScript*>(duk_get_pointer(ctx, -1));
  duk_pop_2(ctx);
  return self;
}

TYX_PageDocument& Doc(duk_context* ctx) { return *Self(ctx)->Document(); }

std::string ArgText(duk_context* ctx, duk_idx_t index) {
  duk_size_t length = 0;
  const char* text = duk_to_lstring(ctx, index, &length);
  return std::string(text ? text : "", length);
}

int ArgNode(duk_context* ctx, duk_idx_t index) { return duk_require_int(ctx, index); }

void PushText(duk_context* ctx, const std::string& text) { duk_push_lstring(ctx, text.data(), text.size()); }

duk_ret_t NativeById(duk_context* ctx) {
  duk_push_int(ctx, Doc(ctx).FindById(ArgText(ctx, 0)));
  return 1;
}

duk_ret_t NativeByName(duk_context* ctx) {
  const std::vector<int> nodes = Doc(ctx).FindByName(ArgText(ctx, 0));
  const duk_idx_t array = duk_push_array(ctx);
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    duk_push_int(ctx, nodes[i]);
    duk_put_prop_index(ctx, array, static_cast<duk_uarridx_t>(i));
  }
  return 1;
}

duk_ret_t NativeBody(duk_context* ctx) {
  duk_push_int(ctx, Doc(ctx).Body());
  return 1;
}

duk_ret_t NativeAttr(duk_context* ctx) {
  const auto value = Doc(ctx).GetAttribute(ArgNode(ctx, 0), ArgText(ctx, 1));
  if (value) {
    PushText(ctx, *value);
  } else {
    duk_push_null(ctx);
  }
  return 1;
}

duk_ret_t NativeSetAttr(duk_context* ctx) {
  Doc(ctx).SetAttribute(ArgNode(ctx, 0), ArgText(ctx, 1), ArgText(ctx, 2));
  return 0;
}

duk_ret_t NativeValue(duk_context* ctx) {
  PushText(ctx, Doc(ctx).GetValue(ArgNode(ctx, 0)));
  return 1;
}

duk_ret_t NativeSetValue(duk_context* ctx) {
  Doc(ctx).SetValue(ArgNode(ctx, 0), ArgText(ctx, 1));
  return 0;
}

duk_ret_t NativeChecked(duk_context* ctx) {
  duk_push_boolean(ctx, Doc(ctx).GetChecked(ArgNode(ctx, 0)));
  return 1;
}

duk_ret_t NativeSetChecked(duk_context* ctx) {
  Doc(ctx).SetChecked(ArgNode(ctx, 0), duk_to_boolean(ctx, 1) != 0);
  return 0;
}

duk_ret_t NativeTag(duk_context* ctx) {
  const auto* node = Doc(ctx).GetNode(ArgNode(ctx, 0));
  PushText(ctx, node != nullptr ? node->tag : std::string());
  return 1;
}

duk_ret_t NativeText(duk_context* ctx) {
  PushText(ctx, Doc(ctx).TextContent(ArgNode(ctx, 0)));
  return 1;
}

duk_ret_t NativeClick(duk_context* ctx) {
  Self(ctx)->ScriptClicked(ArgNode(ctx, 0));
  return 0;
}

duk_ret_t NativeLog(duk_context* ctx) {
  Self(ctx)->ScriptLogged(ArgText(ctx, 0));
  return 0;
}

// The document as scripts see it, built over the natives above. Returns the element wrapper, which
// the engine keeps to bind `this` for inline handlers.
constexpr char kBootstrap[] = R"JS(
(function (n) {
  var cache = {};
  function Element() { throw new TypeError('Illegal constructor'); }
  function wrap(i) {
    if (typeof i !== 'number' || i < 0) return null;
    var e = cache[i];
    if (!e) {
      e = Object.create(Element.prototype);
      Object.defineProperty(e, '__node', { value: i });
      cache[i] = e;
    }
    return e;
  }
  function attrProperty(property, attribute) {
    Object.defineProperty(Element.prototype, property, {
      get: function () { var v = n.attr(this.__node, attribute); return v === null ? '' : v; },
      set: function (v) { n.setAttr(this.__node, attribute, String(v)); }
    });
  }
  var p = Element.prototype;
  p.getAttribute = function (k) { return n.attr(this.__node, String(k)); };
  p.setAttribute = function (k, v) { n.setAttr(this.__node, String(k), String(v)); };
  p.hasAttribute = function (k) { return n.attr(this.__node, String(k)) !== null; };
  p.click = function () { n.click(this.__node); };
  Object.defineProperty(p, 'value', {
    get: function () { return n.value(this.__node); },
    set: function (v) { n.setValue(this.__node, String(v)); }
  });
  Object.defineProperty(p, 'checked', {
    get: function () { return n.checked(this.__node); },
    set: function (v) { n.setChecked(this.__node, !!v); }
  });
  Object.defineProperty(p, 'tagName', { get: function () { return n.tag(this.__node).toUpperCase(); } });
  Object.defineProperty(p, 'textContent', { get: function () { return n.text(this.__node); } });
  Object.defineProperty(p, 'innerText', { get: function () { return n.text(this.__node); } });
  attrProperty('id', 'id');
  attrProperty('name', 'name');
  attrProperty('className', 'class');
  var document = {
    getElementById: function (id) { return wrap(n.byId(String(id))); },
    getElementsByName: function (name) { return n.byName(String(name)).map(wrap); }
  };
  Object.defineProperty(document, 'body', { get: function () { return wrap(n.body()); } });
  var global = new Function('return this')();
  global.document = document;
  global.window = global;
  global.Element = Element;
  global.console = { log: function () { n.log(Array.prototype.join.call(arguments, ' ')); } };
  return wrap;
})
)JS";

}  // namespace

struct TYX_PageScript::Heap {
  ScriptHeapState state;
  duk_context* ctx = nullptr;
  ~Heap() {
    if (ctx != nullptr) duk_destroy_heap(ctx);
  }
};

TYX_PageScript::TYX_PageScript(TYX_PageDocument* document, const Limits& limits)
    : document_(document), limits_(limits), heap_(std::make_unique<Heap>()) {}

TYX_PageScript::~TYX_PageScript() = default;

std::unique_ptr<TYX_PageScript> TYX_PageScript::Create(TYX_PageDocument* document, const Limits& limits,
                                                       std::string* error) {
  if (document == nullptr) {
    if (error != nullptr) *error = "no document";
    return nullptr;
  }
  std::unique_ptr<TYX_PageScript> script(new TYX_PageScript(document, limits));
  Heap& heap = *script->heap_;
  heap.state.limit = limits.memoryBytes;
  heap.ctx = duk_create_heap(HeapAlloc, HeapRealloc, HeapFree, &heap.state, HeapFatal);
  if (heap.ctx == nullptr) {
    if (error != nullptr) *error = "no script heap could be made";
    return nullptr;
  }
  duk_context* ctx = heap.ctx;
  StackGuard guard(ctx);
  Entry entry(heap.state, limits.runTime);
  TYX_PageScript* self = script.get();
  std::string why;
  const bool bound = Protected(
      ctx,
      [self](duk_context* c) {
        static const duk_function_list_entry kNatives[] = {
            {"byId", NativeById, 1},         {"byName", NativeByName, 1},   {"body", NativeBody, 0},
            {"attr", NativeAttr, 2},         {"setAttr", NativeSetAttr, 3}, {"value", NativeValue, 1},
            {"setValue", NativeSetValue, 2}, {"checked", NativeChecked, 1}, {"setChecked", NativeSetChecked, 2},
            {"tag", NativeTag, 1},           {"text", NativeText, 1},       {"click", NativeClick, 1},
            {"log", NativeLog, 1},           {nullptr, nullptr, 0},
        };
        duk_push_heap_stash(c);
        duk_push_pointer(c, self);
        duk_put_prop_string(c, -2, "self");
        duk_push_string(c, kBootstrap);
        duk_push_string(c, "document");
        duk_compile(c, DUK_COMPILE_EVAL);
        duk_call(c, 0);
        duk_push_object(c);
        duk_put_function_list(c, -1, kNatives);
        duk_call(c, 1);
        duk_put_prop_string(c, -2, "wrap");
      },
      &why);
  if (!bound) {
    if (error != nullptr) *error = "the document binding failed: " + why;
    return nullptr;
  }
  return script;
}

ScriptOutcome TYX_PageScript::Run(const std::string& source, const std::string& name) {
  duk_context* ctx = heap_->ctx;
  StackGuard guard(ctx);
  Entry entry(heap_->state, limits_.runTime);
  ScriptOutcome out;
  const bool ran = Protected(
      ctx,
      [&](duk_context* c) {
        duk_push_lstring(c, source.data(), source.size());
        PushText(c, name);
        duk_compile(c, 0);
        duk_call(c, 0);
        out.result = ResultText(c);
      },
      &out.message);
  if (!ran) out.code = ScriptOutcome::Code::Exception;
  return out;
}

bool TYX_PageScript::HasFunction(const std::string& function) {
  duk_context* ctx = heap_->ctx;
  StackGuard guard(ctx);
  Entry entry(heap_->state, limits_.runTime);
  bool found = false;
  Protected(
      ctx,
      [&](duk_context* c) {
        duk_push_global_object(c);
        PushText(c, function);
        duk_get_prop(c, -2);
        found = duk_is_callable(c, -1) != 0;
      },
      nullptr);
  return found;
}

ScriptOutcome TYX_PageScript::Invoke(const std::string& function, const std::vector<std::string>& slots) {
  duk_context* ctx = heap_->ctx;
  StackGuard guard(ctx);
  Entry entry(heap_->state, limits_.runTime);
  ScriptOutcome out;
  bool known = true;
  const bool ran = Protected(
      ctx,
      [&](duk_context* c) {
        duk_push_global_object(c);
        PushText(c, function);
        duk_get_prop(c, -2);
        if (function.empty() || !duk_is_callable(c, -1)) {
          known = false;
          return;
        }
        duk_dup(c, -2);  // `this` is the global object, as for a method of the window
        for (auto it = slots.rbegin(); it != slots.rend(); ++it) PushText(c, *it);
        duk_call_method(c, static_cast<duk_idx_t>(slots.size()));
        out.result = ResultText(c);
      },
      &out.message);
  if (!ran) {
    out.code = ScriptOutcome::Code::Exception;
  } else if (!known) {
    out.code = ScriptOutcome::Code::UnknownName;
    out.message = "the page has no function '" + function + "'";
  }
  return out;
}

ScriptOutcome TYX_PageScript::RunHandler(int node, const std::string& attribute) {
  ScriptOutcome out;
  const auto source = document_->GetAttribute(node, attribute);
  if (!source) return out;
  duk_context* ctx = heap_->ctx;
  StackGuard guard(ctx);
  Entry entry(heap_->state, limits_.runTime);
  const std::string body = "(function (event) {\n" + *source + "\n})";
  const bool ran = Protected(
      ctx,
      [&](duk_context* c) {
        duk_push_lstring(c, body.data(), body.size());
        PushText(c, attribute);
        duk_compile(c, DUK_COMPILE_EVAL);
        duk_call(c, 0);  // [handler]
        duk_push_heap_stash(c);
        duk_get_prop_string(c, -1, "wrap");
        duk_remove(c, -2);
        duk_push_int(c, node);
        duk_call(c, 1);           // [handler element]
        duk_push_undefined(c);    // no event object
        duk_call_method(c, 1);
        out.result = ResultText(c);
      },
      &out.message);
  if (!ran) out.code = ScriptOutcome::Code::Exception;
  return out;
}

ScriptOutcome TYX_PageScript::CallWindowHandler(const std::string& property) {
  duk_context* ctx = heap_->ctx;
  StackGuard guard(ctx);
  Entry entry(heap_->state, limits_.runTime);
  ScriptOutcome out;
  const bool ran = Protected(
      ctx,
      [&](duk_context* c) {
        duk_push_global_object(c);
        PushText(c, property);
        duk_get_prop(c, -2);
        if (!duk_is_callable(c, -1)) return;
        duk_dup(c, -2);
        duk_call_method(c, 0);
      },
      &out.message);
  if (!ran) out.code = ScriptOutcome::Code::Exception;
  return out;
}

void TYX_PageScript::ScriptClicked(int node) {
  if (!clickSink_ || !document_->IsElement(node)) return;
  if (clickDepth_ >= limits_.maxClickDepth) {
    Util::TYX_Log::Instance()->Add("TYX_PageScript : a click nested %d deep is ignored", clickDepth_);
    return;
  }
  ++clickDepth_;
  struct Leave {
    int& depth;
    ~Leave() { --depth; }
  } leave{clickDepth_};
  clickSink_(node);
}

void TYX_PageScript::ScriptLogged(const std::string& text) {
  if (logSink_) {
    logSink_(text);
  } else {
    Util::TYX_Log::Instance()->Add("page : %s", text.c_str());
  }
}

}  // namespace TYX::Html
