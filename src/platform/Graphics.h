// Colours, fonts and bitmaps.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/Classes.h"
#include "platform/Resources.h"

namespace platform {

// A colour as $00BBGGRR, or a system colour (high bit set) that the window backend
// resolves.
using TColor = int32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clWindow = static_cast<TColor>(0x80000005);
constexpr TColor clWindowText = static_cast<TColor>(0x80000008);
constexpr TColor clHighlight = static_cast<TColor>(0x8000000D);
constexpr TColor clHighlightText = static_cast<TColor>(0x8000000E);
constexpr TColor clBtnFace = static_cast<TColor>(0x8000000F);
constexpr TColor clBtnText = static_cast<TColor>(0x80000012);
constexpr TColor cl3DLight = static_cast<TColor>(0x80000016);

// A picture that cannot be read: not an image of a format and kind the loader knows.
class EInvalidGraphic : public Exception {
  public:
    using Exception::Exception;
};

enum TFontStyle : uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle, uint8_t>;

// A font's description; OnChange fires after each change.
class TFont : public TPersistent {
  public:
    TFont() = default;
    TFont(const TFont&) = delete;
    TFont& operator=(const TFont&) = delete;

    TColor GetColor() const { return FColor; }
    void SetColor(TColor Value);
    TFontStyles GetStyle() const { return FStyle; }
    void SetStyle(TFontStyles Value);
    const String& GetName() const { return FName; }
    void SetName(const String& Value);
    int GetSize() const { return FSize; }
    void SetSize(int Value);
    // Copies every attribute of another font, with one change notice.
    void Assign(const TPersistent* Source) override;
    bool SameAs(const TFont& Other) const;

    TNotifyEvent OnChange;

  private:
    void Changed();
    TColor FColor = clWindowText;
    TFontStyles FStyle;
    String FName = "Sans";
    int FSize = 8;
};

// A picture of Width x Height pixels, kept as colours, with the bits per pixel of the
// image it was loaded from.
class TBitmap : public TPersistent {
  public:
    TBitmap() = default;
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    int GetWidth() const { return FWidth; }
    int GetHeight() const { return FHeight; }
    // Resizes to Width x Height, all pixels white.
    void SetSize(int Width, int Height);
    bool Empty() const { return FWidth == 0 || FHeight == 0; }
    int GetBitsPerPixel() const { return FBitsPerPixel; }
    // REQUIRES: 0 <= X < width, 0 <= Y < height; Y counts from the top.
    TColor GetPixel(int X, int Y) const;
    void SetPixel(int X, int Y, TColor Color);
    // The colour drawn transparent: that of the lower-left pixel.
    TColor TransparentColor() const { return Empty() ? clNone : GetPixel(0, FHeight - 1); }
    void Assign(const TPersistent* Source) override;
    // Loads the bitmap resource Name of Module: a BMP file image (file header, then an
    // info header of 40 bytes or more), uncompressed, 1, 4 or 8 bits per pixel with a
    // palette or 24 without, rows bottom-up or top-down. Keeps the image's bits per pixel.
    // Fails with EResNotFound when the module has no such resource and with
    // EInvalidGraphic when it is not such an image; the bitmap is then unchanged.
    void LoadFromResourceName(TModule Module, const String& Name);

  protected:
    void SetBitsPerPixel(int Value) { FBitsPerPixel = Value; }

  private:
    int FWidth = 0;
    int FHeight = 0;
    int FBitsPerPixel = 24;
    std::vector<TColor> FPixels;
};

}  // namespace platform
