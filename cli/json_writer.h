#pragma once
// A JSON text written in one pass, for scripts that read a command's results: objects,
// arrays, strings, numbers, booleans and null, on one line. Strings are escaped as JSON
// requires; a byte that is not part of valid UTF-8 is taken as the Latin-1 character it would
// be, so the text is always valid. A number that is not finite is written as null.

#include <string>
#include <vector>

namespace endcap {

class JsonWriter {
public:
  JsonWriter& BeginObject();
  JsonWriter& EndObject();
  JsonWriter& BeginArray();
  JsonWriter& EndArray();
  // The name of the next value in an object.
  JsonWriter& Key(const std::string& name);
  JsonWriter& String(const std::string& text);
  JsonWriter& Number(double value);
  // A value the unit keeps as a single-precision float: its shortest form as a float, so that
  // 0.1 reads 0.1 and not the double nearest the float.
  JsonWriter& Single(float value);
  JsonWriter& Integer(long long value);
  JsonWriter& Bool(bool value);
  JsonWriter& Null();

  const std::string& text() const { return text_; }

private:
  // Before a value or a key: the comma that separates it from the one before.
  void Separate();
  void Open(char bracket);
  void Close(char bracket);

  std::string text_;
  std::vector<bool> hasItems_;  // one per open object or array
  bool afterKey_ = false;
};

// text as a JSON string literal, quotes included.
std::string JsonString(const std::string& text);

}  // namespace endcap
