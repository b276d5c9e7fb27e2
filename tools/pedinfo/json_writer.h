// A small JSON writer: objects, arrays, strings and integers, with commas placed for the
// caller. Strings are byte strings: each byte is one character U+0000..U+00FF (bytes from
// 0x80 on as \u0080..\u00FF), so any INI_ID or file name is written reversibly.
#ifndef PEDPEEL_TOOLS_PEDINFO_JSON_WRITER_H_
#define PEDPEEL_TOOLS_PEDINFO_JSON_WRITER_H_

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace pedpeel::pedinfo {

/// `bytes` as a JSON string literal, quotes included.
std::string json_string(std::string_view bytes);

class JsonWriter {
 public:
  explicit JsonWriter(std::ostream& out) : out_(out) {}

  void begin_object();
  void end_object();
  /// A compact array keeps its values on one line.
  void begin_array(bool compact = false);
  void end_array();
  /// The name of the next member of the current object.
  void key(std::string_view name);
  void value(std::string_view text);
  void value(const char* text) { value(std::string_view(text)); }
  void value(int64_t number);
  void value(int number) { value(int64_t{number}); }
  void value(bool flag);
  void null();
  /// A whole array of integers on one line.
  template <typename Integer>
  void integers(const std::vector<Integer>& values) {
    begin_array(true);
    for (Integer v : values) value(int64_t{v});
    end_array();
  }

 private:
  struct Container {
    bool filled;   // holds a value yet
    bool compact;  // values on one line
  };

  void before_value();
  void new_line();

  std::ostream& out_;
  std::vector<Container> open_;  // innermost last
  bool after_key_ = false;
};

}  // namespace pedpeel::pedinfo

#endif  // PEDPEEL_TOOLS_PEDINFO_JSON_WRITER_H_
