#include "history/pdf.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "platform/own_text.h"
#include "platform/utf8.h"

namespace tallowick::pdf {
namespace {

// Big-endian numbers of a font file; nothing read beyond its end counts (0, and `bad`).
struct Reader {
  std::string_view bytes;
  bool bad = false;

  std::uint32_t number(std::size_t at, std::size_t size) {
    if (at > bytes.size() || size > bytes.size() - at) {
      bad = true;
      return 0;
    }
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < size; ++i)
      value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
  }
  std::uint16_t u16(std::size_t at) { return static_cast<std::uint16_t>(number(at, 2)); }
  std::int16_t i16(std::size_t at) { return static_cast<std::int16_t>(u16(at)); }
  std::uint32_t u32(std::size_t at) { return number(at, 4); }
};

void put16(std::string& out, std::uint32_t value) {
  out += static_cast<char>((value >> 8) & 0xFF);
  out += static_cast<char>(value & 0xFF);
}

void put32(std::string& out, std::uint32_t value) {
  put16(out, value >> 16);
  put16(out, value & 0xFFFF);
}

void set32(std::string& out, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i)
    out[at + i] = static_cast<char>((value >> (24 - 8 * i)) & 0xFF);
}

void pad4(std::string& out) {
  while (out.size() % 4 != 0)
    out += '\0';
}

std::uint32_t checksum(std::string_view table) {
  std::uint32_t sum = 0;
  for (std::size_t at = 0; at < table.size(); at += 4) {
    std::uint32_t word = 0;
    for (std::size_t i = 0; i < 4; ++i) {
      const unsigned char byte = at + i < table.size() ? table[at + i] : 0;
      word = (word << 8) | byte;
    }
    sum += word;
  }
  return sum;
}

// A number as PDF writes it: at most two decimals, with a point whatever the locale.
std::string num(double value) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 2).ptr;
  std::string out(text, end);
  while (out.find('.') != std::string::npos && (out.back() == '0' || out.back() == '.'))
    out.pop_back();
  return out == "-0" ? "0" : out;
}

std::string hex4(std::uint32_t value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out(4, '0');
  for (int i = 3; i >= 0; --i, value >>= 4)
    out[i] = kDigits[value & 0xF];
  return out;
}

// A character as UTF-16 in hex, as a ToUnicode map and a text string give it.
std::string utf16Hex(char32_t c) {
  if (c < 0x10000) return hex4(c);
  c -= 0x10000;
  return hex4(0xD800 + (c >> 10)) + hex4(0xDC00 + (c & 0x3FF));
}

// A text of the document's properties: UTF-16 with its byte-order mark.
std::string textString(std::string_view utf8) {
  std::string out = "<FEFF";
  forEachCharacter(
      utf8, [&](char32_t c, std::string_view) { out += utf16Hex(c == kNotUtf8 ? U'\uFFFD' : c); });
  return out + ">";
}

}  // namespace

std::variant<Font, Failure> Font::read(std::string bytes, std::string name) {
  Font font;
  font.bytes_ = std::make_shared<const std::string>(std::move(bytes));
  font.name_ = std::move(name);
  const std::string_view all = *font.bytes_;
  Reader file{all};
  const std::uint32_t version = file.u32(0);
  if (file.bad || (version != 0x00010000 && version != 0x74727565)) {
    return Failure{Text::tr("это не шрифт TrueType")};
  }
  const std::uint16_t count = file.u16(4);
  for (std::uint16_t i = 0; i < count; ++i) {
    const std::size_t record = 12 + std::size_t{i} * 16;
    const std::uint32_t offset = file.u32(record + 8);
    const std::uint32_t length = file.u32(record + 12);
    if (file.bad || offset > all.size() || length > all.size() - offset) {
      return Failure{Text::tr("файл шрифта повреждён")};
    }
    font.tables_.emplace(std::string(all.substr(record, 4)), all.substr(offset, length));
  }
  for (const char* tag : {"head", "hhea", "maxp", "hmtx", "loca", "glyf", "cmap"}) {
    if (!font.tables_.contains(tag)) {
      return Failure{withArgs(Text::tr("в шрифте нет таблицы %1"), {tag})};
    }
  }
  Reader head{font.table("head")};
  font.unitsPerEm_ = head.u16(18);
  for (int i = 0; i < 4; ++i)
    font.box_[i] = head.i16(36 + 2 * i);
  font.longOffsets_ = head.i16(50) == 1;
  Reader hhea{font.table("hhea")};
  font.ascender_ = hhea.i16(4);
  font.descender_ = hhea.i16(6);
  const std::uint16_t metrics = hhea.u16(34);
  Reader maxp{font.table("maxp")};
  font.glyphCount_ = maxp.u16(4);
  Reader hmtx{font.table("hmtx")};
  for (std::uint16_t g = 0; g < std::min(metrics, font.glyphCount_); ++g)
    font.advances_.push_back(hmtx.u16(std::size_t{g} * 4));
  Reader os2{font.table("OS/2")};
  font.capHeight_ = os2.u16(0) >= 2 && os2.bytes.size() >= 90 ? os2.i16(88) : font.ascender_;
  if (head.bad || hhea.bad || maxp.bad || hmtx.bad || font.unitsPerEm_ == 0 ||
      font.advances_.empty()) {
    return Failure{Text::tr("файл шрифта повреждён")};
  }

  // The Unicode map: Windows' full map (format 12) or its basic one (format 4).
  Reader cmap{font.table("cmap")};
  std::size_t basic = 0;
  std::size_t full = 0;
  for (std::uint16_t i = 0, n = cmap.u16(2); i < n && !cmap.bad; ++i) {
    const std::size_t record = 4 + std::size_t{i} * 8;
    const std::uint16_t platform = cmap.u16(record);
    const std::uint16_t encoding = cmap.u16(record + 2);
    const std::uint32_t offset = cmap.u32(record + 4);
    const std::uint16_t format = cmap.u16(offset);
    if ((platform == 3 || platform == 0) && format == 12 && full == 0) full = offset;
    if ((platform == 3 && encoding == 1) || platform == 0) {
      if (format == 4 && basic == 0) basic = offset;
    }
  }
  // A damaged map may claim every character many times over: reading stops at the number a
  // font could hold at most.
  std::uint32_t budget = 0x110000;
  const auto map = [&](std::uint32_t c, std::uint32_t g) {
    if (budget > 0) --budget;
    if (g != 0 && g < font.glyphCount_ && c <= 0x10FFFF) font.glyphs_.emplace(c, g);
  };
  if (full != 0) {
    const std::uint32_t groups = std::min<std::uint32_t>(cmap.u32(full + 12), 0x10000);
    for (std::uint32_t i = 0; i < groups && !cmap.bad; ++i) {
      const std::size_t at = full + 16 + std::size_t{i} * 12;
      const std::uint32_t first = cmap.u32(at);
      const std::uint32_t last = std::min<std::uint32_t>(cmap.u32(at + 4), 0x10FFFF);
      const std::uint32_t glyph = cmap.u32(at + 8);
      for (std::uint32_t c = first; c <= last && c - first < 0x10000 && budget > 0; ++c)
        map(c, glyph + (c - first));
    }
  } else if (basic != 0) {
    const std::size_t segments = cmap.u16(basic + 6) / 2;
    const std::size_t ends = basic + 14;
    const std::size_t starts = ends + 2 * segments + 2;
    const std::size_t deltas = starts + 2 * segments;
    const std::size_t ranges = deltas + 2 * segments;
    for (std::size_t s = 0; s < segments && !cmap.bad; ++s) {
      const std::uint16_t last = cmap.u16(ends + 2 * s);
      const std::uint16_t first = cmap.u16(starts + 2 * s);
      const std::uint16_t delta = cmap.u16(deltas + 2 * s);
      const std::uint16_t range = cmap.u16(ranges + 2 * s);
      for (std::uint32_t c = first; c <= last && c != 0xFFFF && budget > 0; ++c) {
        std::uint32_t g = c;
        if (range != 0) {
          g = cmap.u16(ranges + 2 * s + range + 2 * (c - first));
          if (g == 0) continue;
        }
        map(c, (g + delta) & 0xFFFF);
      }
    }
  }
  if (cmap.bad || font.glyphs_.empty())
    return Failure{Text::tr("в шрифте нет таблицы символов Юникода")};
  font.question_ = font.glyph(U'?');
  return font;
}

std::string_view Font::table(std::string_view tag) const {
  const auto found = tables_.find(tag);
  return found == tables_.end() ? std::string_view() : found->second;
}

std::uint16_t Font::glyph(char32_t c) const {
  const auto found = glyphs_.find(c);
  return found == glyphs_.end() ? question_ : found->second;
}

double Font::advance(std::uint16_t glyph) const {
  return scaled(advances_[std::min<std::size_t>(glyph, advances_.size() - 1)]);
}

double Font::width(std::string_view text, double size) const {
  double total = 0;
  forEachCharacter(text, [&](char32_t c, std::string_view) { total += advance(glyph(c)); });
  return total * size / 1000.0;
}

std::string Font::boundingBox() const {
  std::string out = "[";
  for (int i = 0; i < 4; ++i)
    out += (i ? " " : "") + num(scaled(box_[i]));
  return out + "]";
}

std::string_view Font::outline(std::uint16_t glyph) const {
  Reader loca{table("loca")};
  const std::string_view glyf = table("glyf");
  const auto offset = [&](std::size_t g) -> std::size_t {
    return longOffsets_ ? loca.u32(4 * g) : std::size_t{loca.u16(2 * g)} * 2;
  };
  const std::size_t from = offset(glyph);
  const std::size_t to = offset(std::size_t{glyph} + 1);
  if (loca.bad || glyph >= glyphCount_ || to < from || to > glyf.size()) return {};
  return glyf.substr(from, to - from);
}

std::string Font::subset(const std::set<std::uint16_t>& glyphs) const {
  // The glyphs asked for, .notdef, and every glyph a composite one is made of.
  std::set<std::uint16_t> kept{0};
  std::vector<std::uint16_t> waiting(glyphs.begin(), glyphs.end());
  while (!waiting.empty()) {
    const std::uint16_t g = waiting.back();
    waiting.pop_back();
    if (g >= glyphCount_ || !kept.insert(g).second) continue;
    Reader glyph{outline(g)};
    if (glyph.bytes.size() < 10 || glyph.i16(0) >= 0) continue;
    constexpr std::uint16_t kWords = 0x0001, kScale = 0x0008, kMore = 0x0020, kXyScale = 0x0040,
                            kTwoByTwo = 0x0080;
    std::size_t at = 10;
    for (std::uint16_t flags = kMore; (flags & kMore) && !glyph.bad;) {
      flags = glyph.u16(at);
      waiting.push_back(glyph.u16(at + 2));
      at += 4 + ((flags & kWords) ? 4 : 2);
      at += (flags & kScale) ? 2 : (flags & kXyScale) ? 4 : (flags & kTwoByTwo) ? 8 : 0;
    }
  }
  kept.insert(0);

  std::string glyf;
  std::string loca;
  for (std::uint16_t g = 0; g < glyphCount_; ++g) {
    put32(loca, static_cast<std::uint32_t>(glyf.size()));
    if (kept.contains(g)) {
      glyf += outline(g);
      pad4(glyf);
    }
  }
  put32(loca, static_cast<std::uint32_t>(glyf.size()));

  std::map<std::string, std::string> out;
  for (const char* tag : {"cmap", "hhea", "maxp", "hmtx", "cvt ", "fpgm", "prep"}) {
    if (!table(tag).empty()) out[tag] = std::string(table(tag));
  }
  out["glyf"] = std::move(glyf);
  out["loca"] = std::move(loca);
  std::string head(table("head"));
  set32(head, 8, 0);  // the whole file's checksum, set below
  head[50] = 0;
  head[51] = 1;  // long offsets in loca
  out["head"] = head;

  const auto count = static_cast<std::uint16_t>(out.size());
  std::uint16_t power = 1;
  std::uint16_t log = 0;
  while (power * 2 <= count) {
    power *= 2;
    ++log;
  }
  std::string file;
  put32(file, 0x00010000);
  put16(file, count);
  put16(file, power * 16);
  put16(file, log);
  put16(file, count * 16 - power * 16);
  std::size_t offset = 12 + std::size_t{count} * 16;
  std::size_t headAt = 0;
  std::string body;
  for (const auto& [tag, bytes] : out) {
    file += tag;
    put32(file, checksum(bytes));
    put32(file, static_cast<std::uint32_t>(offset + body.size()));
    put32(file, static_cast<std::uint32_t>(bytes.size()));
    if (tag == "head") headAt = offset + body.size();
    body += bytes;
    pad4(body);
  }
  file += body;
  set32(file, headAt + 8, 0xB1B0AFBA - checksum(file));
  return file;
}

Document::Document(std::vector<const Font*> fonts)
    : fonts_(std::move(fonts)), used_(fonts_.size()) {}

void Document::newPage() {
  pages_.emplace_back();
  current_ = pages_.size() - 1;
}

void Document::text(double x, double y, std::size_t font, double size, std::string_view utf8) {
  if (pages_.empty()) newPage();
  std::string shown;
  forEachCharacter(utf8, [&](char32_t c, std::string_view) {
    const Font& drawn = *fonts_[font];
    const char32_t shownCharacter = c != kNotUtf8 && drawn.has(c) ? c : U'?';
    const std::uint16_t g = drawn.glyph(shownCharacter);
    used_[font].emplace(g, shownCharacter);
    for (const char byte : {static_cast<char>(g >> 8), static_cast<char>(g & 0xFF)}) {
      // Bytes that end a string or a line inside it are escaped.
      if (byte == '(' || byte == ')' || byte == '\\') shown += '\\';
      if (byte == '\r') {
        shown += "\\r";
      } else if (byte == '\n') {
        shown += "\\n";
      } else {
        shown += byte;
      }
    }
  });
  std::string& page = pages_[current_];
  page += "BT /F" + std::to_string(font) + " " + num(size) + " Tf " + num(x) + " " + num(y) +
          " Td (" + shown + ") Tj ET\n";
}

void Document::line(double x1, double y1, double x2, double y2, double width, double grey) {
  if (pages_.empty()) newPage();
  pages_[current_] += num(grey) + " G " + num(width) + " w " + num(x1) + " " + num(y1) + " m " +
                      num(x2) + " " + num(y2) + " l S\n";
}

void Document::fill(double x, double y, double w, double h, double r, double g, double b) {
  if (pages_.empty()) newPage();
  pages_[current_] += num(r) + " " + num(g) + " " + num(b) + " rg " + num(x) + " " + num(y) + " " +
                      num(w) + " " + num(h) + " re f 0 g\n";
}

std::string Document::bytes(const Info& info) const {
  std::string out = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
  std::vector<std::size_t> offsets(1, 0);
  // Objects are numbered in the order they are written: 1 the catalogue, 2 the page tree,
  // 3 the properties, then five for each font, then two for each page.
  const auto object = [&](const std::string& body) {
    offsets.push_back(out.size());
    out += std::to_string(offsets.size() - 1) + " 0 obj\n" + body + "\nendobj\n";
  };
  const auto stream = [](const std::string& dictionary, const std::string& bytes) {
    return "<< /Length " + std::to_string(bytes.size()) + dictionary + " >>\nstream\n" + bytes +
           "\nendstream";
  };
  const auto ref = [](std::size_t n) { return std::to_string(n) + " 0 R"; };
  const std::size_t firstFont = 4;
  const std::size_t firstPage = firstFont + 5 * fonts_.size();
  const auto pages = std::max<std::size_t>(pages_.size(), 1);

  object("<< /Type /Catalog /Pages 2 0 R >>");
  std::string kids;
  for (std::size_t p = 0; p < pages; ++p)
    kids += (p ? " " : "") + ref(firstPage + 2 * p);
  object("<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages) + " >>");
  std::string properties = "<< /Producer (Tallowick)";
  if (!info.title.empty()) properties += " /Title " + textString(info.title);
  if (!info.subject.empty()) properties += " /Subject " + textString(info.subject);
  if (!info.created.empty()) properties += " /CreationDate (D:" + info.created + ")";
  object(properties + " >>");

  std::string resources = "<< /Font <<";
  for (std::size_t f = 0; f < fonts_.size(); ++f) {
    const Font& font = *fonts_[f];
    const std::size_t n = firstFont + 5 * f;
    // A subset's name starts with six capitals of its own.
    const std::string name =
        "TALWK" + std::string(1, static_cast<char>('A' + f % 26)) + "+" + font.name();
    resources += " /F" + std::to_string(f) + " " + ref(n);
    object("<< /Type /Font /Subtype /Type0 /BaseFont /" + name +
           " /Encoding /Identity-H /DescendantFonts [" + ref(n + 1) + "] /ToUnicode " + ref(n + 4) +
           " >>");
    std::string widths;
    std::optional<std::uint16_t> previous;
    for (const auto& [g, c] : used_[f]) {
      if (previous && g == *previous + 1) {
        widths += " ";
      } else {
        widths += (previous ? "] " : "") + std::to_string(g) + " [";
      }
      widths += num(font.advance(g));
      previous = g;
    }
    if (previous) widths += "]";
    object("<< /Type /Font /Subtype /CIDFontType2 /BaseFont /" + name +
           " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >>"
           " /FontDescriptor " +
           ref(n + 2) + " /CIDToGIDMap /Identity /W [" + widths + "] >>");
    object("<< /Type /FontDescriptor /FontName /" + name + " /Flags 32 /FontBBox " +
           font.boundingBox() + " /ItalicAngle 0 /Ascent " + num(font.ascent()) + " /Descent " +
           num(font.descent()) + " /CapHeight " + num(font.capHeight()) + " /StemV 80 /FontFile2 " +
           ref(n + 3) + " >>");
    std::set<std::uint16_t> glyphs;
    for (const auto& [g, c] : used_[f])
      glyphs.insert(g);
    const std::string file = font.subset(glyphs);
    object(stream(" /Length1 " + std::to_string(file.size()), file));
    // What each glyph stands for, so that the text can be copied and searched.
    const std::map<std::uint16_t, char32_t>& meaning = used_[f];
    std::string cmap =
        "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
        "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
        "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
        "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
    for (auto it = meaning.begin(); it != meaning.end();) {
      std::string chunk;
      std::size_t entries = 0;
      for (; it != meaning.end() && entries < 100; ++it, ++entries)
        chunk += "<" + hex4(it->first) + "> <" + utf16Hex(it->second) + ">\n";
      cmap += std::to_string(entries) + " beginbfchar\n" + chunk + "endbfchar\n";
    }
    cmap += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend";
    object(stream("", cmap));
  }
  resources += " >> >>";

  for (std::size_t p = 0; p < pages; ++p) {
    object("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + num(kA4Width) + " " + num(kA4Height) +
           "] /Resources " + resources + " /Contents " + ref(firstPage + 2 * p + 1) + " >>");
    object(stream("", p < pages_.size() ? pages_[p] : std::string()));
  }

  const std::size_t xref = out.size();
  out += "xref\n0 " + std::to_string(offsets.size()) + "\n0000000000 65535 f \n";
  for (std::size_t i = 1; i < offsets.size(); ++i) {
    char entry[24];
    std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offsets[i]);
    out += entry;
  }
  out += "trailer\n<< /Size " + std::to_string(offsets.size()) +
         " /Root 1 0 R /Info 3 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
  return out;
}

}  // namespace tallowick::pdf
