// Markup element name -> control factory. Every class of the toolkit is
// registered once, when the registry is first used; a window adds its own
// classes through the builder callback instead (dialog_builder.h).
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace SkinUI {

class Control;

class ControlRegistry {
 public:
  using Factory = std::function<Control*()>;

  // The registry with the toolkit's classes. UI thread only.
  static ControlRegistry& Instance();

  // False when the name is taken (the first registration stays).
  bool Register(const std::string& name, Factory factory);
  // A new control, or null for a name nobody registered. Names match
  // exactly first, then ignoring ASCII case.
  Control* Create(const std::string& name) const;
  bool Knows(const std::string& name) const;
  std::vector<std::string> Names() const;

  // Markup names served by a nearer base class, with that class's name
  // ("RichEdit" -> "Edit"), for documentation and tests.
  static const std::vector<std::pair<const char*, const char*>>& Aliases();

 private:
  const Factory* Find(const std::string& name) const;
  std::map<std::string, Factory> factories_;
};

}  // namespace SkinUI
