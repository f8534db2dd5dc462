#include "cli/json_writer.h"

#include <cmath>
#include <cstdlib>

#include "serial/text_format.h"

namespace endcap {

namespace {

// The length of the valid UTF-8 sequence at text[at], or 0 when it is not one.
size_t Utf8Length(const std::string& text, size_t at) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  size_t length = 0;
  unsigned min = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    min = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    min = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    min = 0x10000;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  unsigned code = lead & (0x7Fu >> length);
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(at + i) & 0x3Fu);
  }
  // Overlong forms, surrogates and code points beyond Unicode are not valid.
  if (code < min || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return 0;
  return length;
}

}  // namespace

std::string JsonString(const std::string& text) {
  std::string json = "\"";
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {
      const size_t length = Utf8Length(text, i);
      if (length == 0) {
        json += Format("\\u%04x", static_cast<unsigned>(c));
        ++i;
      } else {
        json.append(text, i, length);
        i += length;
      }
      continue;
    }
    switch (c) {
      case '"': json += "\\\""; break;
      case '\\': json += "\\\\"; break;
      case '\n': json += "\\n"; break;
      case '\r': json += "\\r"; break;
      case '\t': json += "\\t"; break;
      default:
        if (c < 0x20 || c == 0x7F)
          json += Format("\\u%04x", static_cast<unsigned>(c));
        else
          json += static_cast<char>(c);
    }
    ++i;
  }
  return json + "\"";
}

void JsonWriter::Separate() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (hasItems_.empty()) return;
  if (hasItems_.back()) text_ += ',';
  hasItems_.back() = true;
}

void JsonWriter::Open(char bracket) {
  Separate();
  text_ += bracket;
  hasItems_.push_back(false);
}

void JsonWriter::Close(char bracket) {
  hasItems_.pop_back();
  text_ += bracket;
}

JsonWriter& JsonWriter::BeginObject() {
  Open('{');
  return *this;
}

JsonWriter& JsonWriter::EndObject() {
  Close('}');
  return *this;
}

JsonWriter& JsonWriter::BeginArray() {
  Open('[');
  return *this;
}

JsonWriter& JsonWriter::EndArray() {
  Close(']');
  return *this;
}

JsonWriter& JsonWriter::Key(const std::string& name) {
  Separate();
  text_ += JsonString(name) + ':';
  afterKey_ = true;
  return *this;
}

JsonWriter& JsonWriter::String(const std::string& text) {
  Separate();
  text_ += JsonString(text);
  return *this;
}

JsonWriter& JsonWriter::Number(double value) {
  if (!std::isfinite(value)) return Null();
  Separate();
  // The shortest form that reads back as the same number.
  std::string number = Format("%.15g", value);
  if (std::strtod(number.c_str(), nullptr) != value) number = Format("%.17g", value);
  text_ += number;
  return *this;
}

JsonWriter& JsonWriter::Single(float value) {
  if (!std::isfinite(value)) return Null();
  Separate();
  std::string number;
  for (int digits = 6; digits <= 9; ++digits) {
    number = Format("%.*g", digits, static_cast<double>(value));
    if (std::strtof(number.c_str(), nullptr) == value) break;
  }
  text_ += number;
  return *this;
}

JsonWriter& JsonWriter::Integer(long long value) {
  Separate();
  text_ += std::to_string(value);
  return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
  Separate();
  text_ += value ? "true" : "false";
  return *this;
}

JsonWriter& JsonWriter::Null() {
  Separate();
  text_ += "null";
  return *this;
}

}  // namespace endcap
