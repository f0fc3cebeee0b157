// Data carried inside the running executable. On Windows these are the
// module's resources (the skin: type "ZIPRES", id 147, language 2052); on
// Linux the build links a registration of each embedded file (see
// skinui_embed_skin in parse.cmake).
#pragma once

#include <cstddef>
#include <string>

namespace SkinUI {

constexpr const char* kSkinResourceType = "ZIPRES";
constexpr int kSkinResourceId = 147;
// MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)
constexpr int kSkinResourceLanguage = 2052;

// Copies the resource's bytes. False (and *bytes cleared) when the
// executable has no such resource or it is empty.
bool FindEmbeddedResource(const char* type, int id, std::string* bytes);

// Linux only: called by the generated registration object before main. The
// data must live as long as the process (it is linked into the executable).
void RegisterEmbeddedResource(const char* type, int id, const void* data, size_t size);

}  // namespace SkinUI
