#include "framework/builder.h"

#include "framework/container.h"
#include "framework/controls.h"
#include "framework/list.h"
#include "framework/menu.h"
#include "framework/tree_view.h"
#include "framework/values.h"
#include "framework/window.h"
#include "framework/zip_archive.h"
#include "platform/ascii.h"
#include "platform/result.h"
#include "platform/text.h"

namespace qv::framework {

namespace {

bool is(std::string_view a, std::string_view b) {
  return platform::equalsNoCase(a, b);
}

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = platform::asciiLower(c);
  return out;
}

bool isResource(std::string_view n) {
  return is(n, "Font") || is(n, "Default") || is(n, "Style") || is(n, "Theme");
}

}  // namespace

ControlPtr createStandardControl(std::string_view n) {
  if (is(n, "Control")) return std::make_unique<Control>();
  if (is(n, "Container")) return std::make_unique<Container>();
  if (is(n, "VerticalLayout")) return std::make_unique<VerticalLayout>();
  if (is(n, "HorizontalLayout")) return std::make_unique<HorizontalLayout>();
  if (is(n, "TabLayout")) return std::make_unique<TabLayout>();
  if (is(n, "Label")) return std::make_unique<Label>();
  if (is(n, "Text")) return std::make_unique<Text>();
  if (is(n, "Button")) return std::make_unique<Button>();
  if (is(n, "Option")) return std::make_unique<Option>();
  if (is(n, "CheckBox")) return std::make_unique<CheckBox>();
  if (is(n, "Progress")) return std::make_unique<Progress>();
  if (is(n, "Edit")) return std::make_unique<Edit>();
  if (is(n, "RichEdit")) return std::make_unique<RichEdit>();
  if (is(n, "WebBrowser")) return std::make_unique<WebBrowser>();
  if (is(n, "List")) return std::make_unique<List>();
  if (is(n, "ListHeader")) return std::make_unique<ListHeader>();
  if (is(n, "ListHeaderItem")) return std::make_unique<ListHeaderItem>();
  if (is(n, "ListContainerElement")) return std::make_unique<ListContainerElement>();
  if (is(n, "TreeView")) return std::make_unique<TreeView>();
  if (is(n, "Menu")) return std::make_unique<Menu>();
  if (is(n, "MenuElement")) return std::make_unique<MenuElement>();
  return nullptr;
}

bool parseAttributeList(std::wstring_view t,
                        std::vector<std::pair<std::string, std::wstring>>* out) {
  out->clear();
  std::size_t i = 0;
  auto blank = [&](std::size_t k) {
    return t[k] == L' ' || t[k] == L'\t' || t[k] == L'\r' || t[k] == L'\n';
  };
  for (;;) {
    while (i < t.size() && blank(i)) ++i;
    if (i == t.size()) return true;
    std::size_t eq = t.find(L'=', i);
    if (eq == std::wstring_view::npos) return false;
    std::wstring_view key = t.substr(i, eq - i);
    while (!key.empty() && (key.back() == L' ' || key.back() == L'\t')) key.remove_suffix(1);
    if (key.empty()) return false;
    for (wchar_t c : key) {
      if (c > 0x7F) return false;
    }
    i = eq + 1;
    while (i < t.size() && blank(i)) ++i;
    if (i == t.size() || (t[i] != L'"' && t[i] != L'\'')) return false;
    wchar_t q = t[i];
    std::size_t close = t.find(q, i + 1);
    if (close == std::wstring_view::npos) return false;
    out->emplace_back(platform::toUtf8(key), std::wstring(t.substr(i + 1, close - i - 1)));
    i = close + 1;
  }
}

namespace {

ControlFactory& installedFactory() {
  static ControlFactory factory;
  return factory;
}

}  // namespace

void installControlFactory(ControlFactory factory) {
  installedFactory() = std::move(factory);
}

const ControlFactory& installedControlFactory() {
  return installedFactory();
}

LayoutBuilder::LayoutBuilder(const ZipArchive& archive)
    : archive_(archive), factory_(installedFactory()) {}

void LayoutBuilder::diagnose(int line, std::string what) {
  diagnostics_.push_back(LayoutDiagnostic{file_, line, std::move(what)});
}

int LayoutBuilder::load(std::string_view path, MarkupElement* root) {
  std::string bytes;
  int rc = archive_.read(path, &bytes);
  if (rc != kOk) {
    diagnose(
        0, "cannot read " + std::string(path) + " from the skin (code " + std::to_string(rc) + ")");
    return rc;
  }
  MarkupError err;
  rc = parseMarkup(bytes, root, &err);
  if (rc != kOk) diagnose(err.line, err.what);
  return rc;
}

void LayoutBuilder::readResources(const MarkupElement& win, Window* target) {
  for (const MarkupElement& e : win.children) {
    if (is(e.name, "Theme")) {
      // Fonts, defaults and styles shared by many layouts, kept in one file. A theme names no
      // further themes.
      const std::wstring* source = e.attribute("source");
      if (!source || !is(win.name, "Window")) {
        diagnose(e.line, "<Theme> needs a source and belongs to a <Window>");
        continue;
      }
      std::string saved = file_;
      file_ = platform::toUtf8(*source);
      MarkupElement theme;
      if (load(file_, &theme) == kOk) {
        if (!is(theme.name, "Theme")) {
          diagnose(theme.line, "a theme file starts with <Theme>");
        } else {
          readResources(theme, target);  // a nested <Theme> is refused there: not a <Window>
        }
      }
      file_ = std::move(saved);
    } else if (is(e.name, "Font")) {
      FontSpec f;
      bool isDefault = false;
      for (const MarkupAttribute& a : e.attributes) {
        bool ok = true;
        if (is(a.name, "id"))
          ok = parseInt(a.value, &f.id);
        else if (is(a.name, "name"))
          f.face = a.value;
        else if (is(a.name, "size"))
          ok = parseInt(a.value, &f.size) && f.size > 0;
        else if (is(a.name, "bold"))
          ok = parseBool(a.value, &f.bold);
        else if (is(a.name, "italic"))
          ok = parseBool(a.value, &f.italic);
        else if (is(a.name, "underline"))
          ok = parseBool(a.value, &f.underline);
        else if (is(a.name, "default"))
          ok = parseBool(a.value, &isDefault);
        else
          diagnose(e.line, "unknown font attribute \"" + a.name + "\"");
        if (!ok) diagnose(e.line, "malformed font attribute \"" + a.name + "\"");
      }
      if (!target) continue;  // fonts of an included page belong to the window that has them
      std::vector<FontSpec>& fonts = target->fonts();
      if (isDefault) {
        // The default font sits first and answers for id -1.
        FontSpec d = f;
        d.id = -1;
        fonts.front() = d;
      }
      fonts.push_back(f);
    } else if (is(e.name, "Default") || is(e.name, "Style")) {
      const std::wstring* name = e.attribute("name");
      const std::wstring* value = e.attribute("value");
      AttributeList list;
      if (!name || !value || !parseAttributeList(*value, &list)) {
        diagnose(e.line, "<" + e.name + "> needs a name and a well-formed value");
        continue;
      }
      if (is(e.name, "Default")) {
        defaults_.emplace(lower(platform::toUtf8(*name)), std::move(list));
      } else {
        styles_.emplace(*name, std::move(list));
      }
    }
  }
}

const MarkupElement* LayoutBuilder::fragmentRoot(const MarkupElement& root) {
  if (!is(root.name, "Window")) return &root;
  // A <Window> file used as a fragment: its resources are read (and checked), its first control
  // is the fragment.
  readResources(root, nullptr);
  for (const MarkupElement& c : root.children) {
    if (!isResource(c.name)) return &c;
  }
  return nullptr;
}

void LayoutBuilder::applyList(Control& c, const AttributeList& list, int line) {
  for (const auto& [name, value] : list) {
    if (is(name, "style")) continue;
    AttributeResult r = c.setAttribute(name, value);
    if (r == AttributeResult::kUnknown) {
      diagnose(line, "<" + c.kind() + "> has no attribute \"" + name + "\"");
    } else if (r == AttributeResult::kMalformed) {
      diagnose(line,
               "<" + c.kind() + "> " + name + "=\"" + platform::toUtf8(value) + "\" is malformed");
    }
  }
}

void LayoutBuilder::applyAttributes(Control& c, const MarkupElement& e) {
  if (auto it = defaults_.find(lower(e.name)); it != defaults_.end()) {
    applyList(c, it->second, e.line);
  }
  if (const std::wstring* style = e.attribute("style")) {
    auto it = styles_.find(*style);
    if (it == styles_.end()) {
      diagnose(e.line, "unknown style \"" + platform::toUtf8(*style) + "\"");
    } else {
      applyList(c, it->second, e.line);
    }
  }
  AttributeList own;
  own.reserve(e.attributes.size());
  for (const MarkupAttribute& a : e.attributes) own.emplace_back(a.name, a.value);
  applyList(c, own, e.line);
  if (!c.name().empty()) {
    auto [it, fresh] = names_.emplace(c.name(), e.line);
    if (!fresh) {
      diagnose(e.line, "name \"" + platform::toUtf8(c.name()) + "\" already used on line " +
                           std::to_string(it->second));
    }
  }
}

ControlPtr LayoutBuilder::buildElement(const MarkupElement& e, int includeDepth) {
  if (is(e.name, "Include")) {
    const std::wstring* source = e.attribute("source");
    if (!source) {
      diagnose(e.line, "<Include> without source");
      return nullptr;
    }
    if (includeDepth >= kMaxIncludeDepth) {
      diagnose(e.line, "includes nested too deeply");
      return nullptr;
    }
    std::string savedFile = file_;
    auto savedNames = std::move(names_);
    names_.clear();
    file_ = platform::toUtf8(*source);
    ControlPtr included;
    MarkupElement root;
    if (load(file_, &root) == kOk) {
      if (const MarkupElement* top = fragmentRoot(root))
        included = buildElement(*top, includeDepth + 1);
    }
    file_ = std::move(savedFile);
    names_ = std::move(savedNames);
    return included;
  }
  ControlPtr c = createStandardControl(e.name);
  if (!c && factory_) c = factory_(e.name);
  if (!c) {
    diagnose(e.line, "unknown element <" + e.name + ">, skipped with its content");
    return nullptr;
  }
  applyAttributes(*c, e);
  for (const MarkupElement& child : e.children) {
    ControlPtr built = buildElement(child, includeDepth);
    if (!built) continue;
    if (!c->adopt(std::move(built))) {
      diagnose(child.line, "<" + e.name + "> cannot hold <" + child.name + ">");
    }
  }
  return c;
}

int LayoutBuilder::buildWindow(std::string_view path, Window& window) {
  file_ = std::string(path);
  names_.clear();
  MarkupElement root;
  int rc = load(path, &root);
  if (rc != kOk) return rc;
  if (!is(root.name, "Window")) {
    diagnose(root.line, "a window layout starts with <Window>");
    return kInvalid;
  }
  WindowInfo& info = window.info();
  for (const MarkupAttribute& a : root.attributes) {
    bool ok = true;
    if (is(a.name, "size"))
      ok = parseSize(a.value, &info.size);
    else if (is(a.name, "mininfo"))
      ok = parseSize(a.value, &info.minSize);
    else if (is(a.name, "maxinfo"))
      ok = parseSize(a.value, &info.maxSize);
    else if (is(a.name, "caption"))
      ok = parseRect(a.value, &info.caption);
    else if (is(a.name, "sizebox"))
      ok = parseEdges(a.value, &info.sizeBox);
    else if (is(a.name, "roundcorner"))
      ok = parseSize(a.value, &info.roundCorner);
    else if (is(a.name, "defaultfontcolor"))
      ok = parseColor(a.value, &info.defaultTextColor);
    else if (is(a.name, "disabledfontcolor"))
      ok = parseColor(a.value, &info.disabledTextColor);
    else if (is(a.name, "linkfontcolor"))
      ok = parseColor(a.value, &info.linkTextColor);
    else if (is(a.name, "linkhoverfontcolor"))
      ok = parseColor(a.value, &info.linkHoverTextColor);
    else if (is(a.name, "bkcolor"))
      ok = parseColor(a.value, &info.bkColor);
    else if (is(a.name, "title"))
      info.title = a.value;
    else
      diagnose(root.line, "<Window> has no attribute \"" + a.name + "\"");
    if (!ok) diagnose(root.line, "<Window> " + a.name + " is malformed");
  }
  readResources(root, &window);
  ControlPtr top;
  for (const MarkupElement& e : root.children) {
    if (isResource(e.name)) continue;
    if (top) {
      diagnose(e.line, "a window has one root control; <" + e.name + "> skipped");
      continue;
    }
    top = buildElement(e, 0);
  }
  if (!top) {
    diagnose(root.line, "the window has no root control");
    return kInvalid;
  }
  window.setRoot(std::move(top));
  return kOk;
}

ControlPtr LayoutBuilder::buildControl(std::string_view path, int* rc) {
  file_ = std::string(path);
  names_.clear();
  MarkupElement root;
  int r = load(path, &root);
  if (rc) *rc = r;
  if (r != kOk) return nullptr;
  const MarkupElement* top = fragmentRoot(root);
  ControlPtr c = top ? buildElement(*top, 0) : nullptr;
  if (!c && rc) *rc = kInvalid;
  return c;
}

}  // namespace qv::framework
