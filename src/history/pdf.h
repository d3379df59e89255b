// A small PDF writer for Tallowick's reports: A4 pages of text, lines and filled boxes, in
// TrueType fonts that go inside the file (only the glyphs it uses), so that the report reads
// the same on any computer and its text, Cyrillic included, can be copied and searched.
// Qt-free, so that the command line writes reports without a display.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/failure.h"

namespace tallowick::pdf {

// A TrueType font read whole from its file.
class Font {
 public:
  // The font in `bytes`, under the name the document gives it; why not when the bytes are
  // no TrueType font with outlines and a Unicode map.
  static std::variant<Font, Failure> read(std::string bytes, std::string name);

  const std::string& name() const { return name_; }
  bool has(char32_t c) const { return glyphs_.contains(c); }
  // The glyph that draws `c`: the font's "?" for a character it lacks.
  std::uint16_t glyph(char32_t c) const;
  // How far a glyph moves the pen, in thousandths of the font's size.
  double advance(std::uint16_t glyph) const;
  // The width of a UTF-8 text at `size` points.
  double width(std::string_view text, double size) const;

  // In thousandths of the size, as a PDF font descriptor gives them.
  double ascent() const { return scaled(ascender_); }
  double descent() const { return scaled(descender_); }
  double capHeight() const { return scaled(capHeight_); }
  std::string boundingBox() const;
  // A font file that draws `glyphs` (and the glyphs they are built of) as this one does,
  // with the same glyph numbers, and holds no other outline.
  std::string subset(const std::set<std::uint16_t>& glyphs) const;

 private:
  Font() = default;
  double scaled(int units) const { return units * 1000.0 / unitsPerEm_; }
  std::string_view table(std::string_view tag) const;
  std::string_view outline(std::uint16_t glyph) const;

  std::shared_ptr<const std::string> bytes_;
  std::string name_;
  std::map<std::string, std::string_view, std::less<>> tables_;
  std::map<char32_t, std::uint16_t> glyphs_;
  std::vector<std::uint16_t> advances_;
  int unitsPerEm_ = 1000;
  int ascender_ = 0;
  int descender_ = 0;
  int capHeight_ = 0;
  int box_[4] = {};
  bool longOffsets_ = false;
  std::uint16_t glyphCount_ = 0;
  std::uint16_t question_ = 0;
};

inline constexpr double kA4Width = 595.28;
inline constexpr double kA4Height = 841.89;

// What the document says of itself in the reader's properties.
struct Info {
  std::string title;
  std::string subject;
  // The time written into the file, "YYYYMMDDHHmmSS" (empty for none): the same report of
  // the same records gives the same bytes.
  std::string created;
};

// Pages drawn one after the other; points from the lower left corner of an A4 page.
class Document {
 public:
  // The fonts the pages may use, by their number in this list; each must outlive the
  // document.
  explicit Document(std::vector<const Font*> fonts);

  // Starts a new page; the drawing goes to the last page begun.
  void newPage();
  std::size_t pages() const { return pages_.size(); }
  void setPage(std::size_t index) { current_ = index; }

  // A UTF-8 text whose baseline starts at (x, y).
  void text(double x, double y, std::size_t font, double size, std::string_view utf8);
  // A line from (x1, y1) to (x2, y2), `width` points wide, in grey (0 black, 1 white).
  void line(double x1, double y1, double x2, double y2, double width, double grey = 0);
  // A box filled with a colour, each part from 0 to 1.
  void fill(double x, double y, double w, double h, double r, double g, double b);

  // The whole file.
  std::string bytes(const Info& info) const;

 private:
  std::vector<const Font*> fonts_;
  // The glyphs each font has drawn, with the character each stands for.
  std::vector<std::map<std::uint16_t, char32_t>> used_;
  std::vector<std::string> pages_;
  std::size_t current_ = 0;
};

}  // namespace tallowick::pdf
