// KROPictureTestSupport.h - reading pictures back in tests: PNGs through cairo's own reader, SVG
// and HTML tags by a plain scan (std::regex recurses per character and overflows the stack on
// path data this long; one writer's output needs no XML library).
#pragma once

#include <cairo.h>

#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

struct KROTestImage {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;
  bool Ink(int x, int y) const {
    return (pixels[std::size_t(y * width + x)] & 0xFFFFFF) != 0xFFFFFF;
  }
};

inline KROTestImage KRODecodePng(const std::string& png) {
  struct Cursor {
    const std::string* bytes;
    std::size_t at;
  } cursor{&png, 0};
  auto read = [](void* closure, unsigned char* data, unsigned int length) {
    auto* c = static_cast<Cursor*>(closure);
    if (c->bytes->size() - c->at < length) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(data, c->bytes->data() + c->at, length);
    c->at += length;
    return CAIRO_STATUS_SUCCESS;
  };
  cairo_surface_t* s = cairo_image_surface_create_from_png_stream(read, &cursor);
  KROTestImage image;
  if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
    image.width = cairo_image_surface_get_width(s);
    image.height = cairo_image_surface_get_height(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    image.pixels.resize(std::size_t(image.width) * std::size_t(image.height));
    for (int y = 0; y < image.height; ++y)
      std::memcpy(&image.pixels[std::size_t(y * image.width)], data + y * stride,
                  4 * std::size_t(image.width));
  }
  cairo_surface_destroy(s);
  return image;
}

/// Every tag, "<...>" without the brackets, in order.
inline std::vector<std::string_view> KROTags(const std::string& text) {
  std::vector<std::string_view> tags;
  for (std::size_t at = text.find('<'); at != std::string::npos; at = text.find('<', at + 1)) {
    const std::size_t end = text.find('>', at);
    if (end == std::string::npos) break;
    tags.emplace_back(text.data() + at + 1, end - at - 1);
    at = end;
  }
  return tags;
}

inline std::string_view KROTagName(std::string_view tag) {
  if (!tag.empty() && tag.front() == '/') tag.remove_prefix(1);
  std::size_t n = 0;
  while (n < tag.size() && !std::isspace(static_cast<unsigned char>(tag[n])) && tag[n] != '/')
    ++n;
  return tag.substr(0, n);
}

/// The value of attribute `name` in a tag; empty when it has none.
inline std::string KROTagAttribute(std::string_view tag, const std::string& name) {
  const std::size_t at = tag.find(" " + name + "=\"");
  if (at == std::string_view::npos) return {};
  const std::size_t begin = at + name.size() + 3;
  return std::string(tag.substr(begin, tag.find('"', begin) - begin));
}

/// Stroked and filled paths of a cairo SVG.
struct KROSvgPaths {
  int stroked = 0, filled = 0;
};
inline KROSvgPaths KROPathsOf(const std::string& svg) {
  KROSvgPaths p;
  for (std::string_view tag : KROTags(svg))
    if (KROTagName(tag) == "path")
      (KROTagAttribute(tag, "style").find("fill:none") != std::string::npos ? p.stroked
                                                                            : p.filled)++;
  return p;
}

/// Every element opened is closed in order (cairo writes no comments or CDATA).
inline bool KROWellFormed(const std::string& xml) {
  std::vector<std::string_view> open;
  for (std::string_view tag : KROTags(xml)) {
    if (tag.empty() || tag.front() == '?' || tag.front() == '!') continue;
    if (tag.front() == '/') {
      if (open.empty() || open.back() != KROTagName(tag)) return false;
      open.pop_back();
    } else if (tag.back() != '/') {
      open.push_back(KROTagName(tag));
    }
  }
  return open.empty();
}
