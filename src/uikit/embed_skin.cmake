# cmake -DARCHIVE=skin.7z -DOUT=skin_embed.cpp -DID=name -P embed_skin.cmake
# Writes the object source that links ARCHIVE into a Linux executable and
# registers it as resource ZIPRES 147 before main.
file(SHA256 ${ARCHIVE} digest)
file(WRITE ${OUT}.tmp
"// Generated from ${ARCHIVE}.
#include <cstddef>
#include \"uikit/resource.h\"

__asm__(\".section .rodata\\n\"
        \"# sha256 ${digest}\\n\"
        \".balign 16\\n\"
        \"skinui_skin_${ID}_begin:\\n\"
        \".incbin \\\"${ARCHIVE}\\\"\\n\"
        \"skinui_skin_${ID}_end:\\n\"
        \".previous\\n\");
extern \"C\" const char skinui_skin_${ID}_begin[];
extern \"C\" const char skinui_skin_${ID}_end[];

namespace {
struct SkinRegistration {
  SkinRegistration() {
    SkinUI::RegisterEmbeddedResource(SkinUI::kSkinResourceType, SkinUI::kSkinResourceId, skinui_skin_${ID}_begin,
                                     static_cast<size_t>(skinui_skin_${ID}_end - skinui_skin_${ID}_begin));
  }
} registration;
}  // namespace
")
file(RENAME ${OUT}.tmp ${OUT})
