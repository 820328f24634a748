// Builds control trees from the layout files of the skin archive.
//
// A layout file holds either a window:
//   <Window size="1000,650" mininfo="1000,665" caption="0,0,0,90" sizebox="4,4,4,4" ...>
//     <Font id="0" name="Segoe UI" size="12" default="true"/>     resources first ...
//     <Default name="Button" value="textcolor=&quot;#FF333333&quot;"/>
//     <Style name="EditBlue" value="bordercolor=&quot;#FF2D7FF9&quot; ..."/>
//     <Theme source="xml/Theme.xml"/>     fonts, defaults and styles shared by many layouts
//     <VerticalLayout> ... </VerticalLayout>                        ... then one root control
//   </Window>
// or a fragment whose root element is a control (list elements, pages pulled in by
// <Include source="xml/PageScan.xml"/>). A Default applies to every element of its name, a
// Style to the elements naming it with style="..."; the element's own attributes come last.
//
// Unknown element names go to the factory hook; when it makes nothing, the element and its
// subtree are skipped. Unknown attributes, malformed values, duplicate names within one file and
// skipped elements are reported as diagnostics with file and line, never silently dropped.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/control.h"
#include "framework/markup.h"

namespace qv::framework {

class Window;
class ZipArchive;

struct LayoutDiagnostic {
  std::string file;
  int line = 0;
  std::string what;
};

// Makes a control for an element name the framework does not know, or null.
using ControlFactory = std::function<ControlPtr(std::string_view elementName)>;

// The standard control of an element name, or null.
ControlPtr createStandardControl(std::string_view elementName);

// The program's factory for the element names the framework does not know. The program installs
// it once at start-up, before its first window, and every builder starts with it, so windows
// that know nothing of the program's controls (pop-ups, message boxes, menus) still make them.
// Empty until installed; a builder given a factory of its own uses that one instead.
void installControlFactory(ControlFactory factory);
const ControlFactory& installedControlFactory();

// Splits an attribute list as Default and Style values write it: name="value" name='value' ...
// False for a malformed list.
bool parseAttributeList(std::wstring_view text,
                        std::vector<std::pair<std::string, std::wstring>>* out);

class LayoutBuilder {
 public:
  // Starts with the installed factory (installControlFactory).
  explicit LayoutBuilder(const ZipArchive& archive);
  void setFactory(ControlFactory factory) { factory_ = std::move(factory); }

  // Reads a window layout into the window: its figures, fonts and the root control. 0, or the
  // archive's or markup reader's code (2 for a missing file, 87 for a malformed one).
  int buildWindow(std::string_view path, Window& window);
  // A fragment's root control (the first control of a <Window> file), or null with the code in
  // *rc (when given).
  ControlPtr buildControl(std::string_view path, int* rc = nullptr);

  const std::vector<LayoutDiagnostic>& diagnostics() const { return diagnostics_; }

  // Deepest chain of <Include> files followed.
  static constexpr int kMaxIncludeDepth = 8;

 private:
  using AttributeList = std::vector<std::pair<std::string, std::wstring>>;
  int load(std::string_view path, MarkupElement* root);
  void readResources(const MarkupElement& window, Window* target);
  const MarkupElement* fragmentRoot(const MarkupElement& root);
  ControlPtr buildElement(const MarkupElement& e, int includeDepth);
  void applyAttributes(Control& c, const MarkupElement& e);
  void applyList(Control& c, const AttributeList& list, int line);
  void diagnose(int line, std::string what);

  const ZipArchive& archive_;
  ControlFactory factory_;
  std::map<std::string, AttributeList> defaults_;  // element name, lower case
  std::map<std::wstring, AttributeList> styles_;
  std::vector<LayoutDiagnostic> diagnostics_;
  std::string file_;                   // the file being read, for diagnostics
  std::map<std::wstring, int> names_;  // control names of the current file and their lines
};

}  // namespace qv::framework
