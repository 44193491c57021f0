// The system's FreeType 2, opened at run time by its soname when the first
// TrueType/OpenType face is rasterised. The program itself does not link it:
// FreeType depends on libpng, and a program linked against it would not even
// start where libpng is missing, key -x or not. Scripts that use only sheet
// fonts never open it.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <string>

namespace drovix {

// The file name the library is opened by, and named by in messages.
inline constexpr const char* kLibFreeTypeFile = "libfreetype.so.6";

// The entry points the font-sheet maker calls, resolved by name.
#define DROVIX_FREETYPE_ENTRIES(X) \
  X(FT_Init_FreeType)              \
  X(FT_Done_FreeType)              \
  X(FT_New_Face)                   \
  X(FT_Done_Face)                  \
  X(FT_Set_Pixel_Sizes)            \
  X(FT_Set_Transform)              \
  X(FT_Get_Char_Index)             \
  X(FT_Load_Glyph)                 \
  X(FT_Outline_Embolden)           \
  X(FT_Render_Glyph)

struct TFreeType {
#define DROVIX_FREETYPE_POINTER(name) decltype(&::name) name = nullptr;
  DROVIX_FREETYPE_ENTRIES(DROVIX_FREETYPE_POINTER)
#undef DROVIX_FREETYPE_POINTER
};

// Opens the library and resolves its entry points on the first call; later
// calls return the same table. fontFile is the face that needs it (named in
// the message). Raises EDrovixError when the library or an entry point is
// missing; the next call tries again.
const TFreeType& LoadFreeType(const std::string& fontFile);

// Test hook: point the loader at another library file (closing a library
// already opened), so that a test can show how the program copes without it.
void SetFreeTypeFileForTesting(const std::string& file);

}  // namespace drovix
