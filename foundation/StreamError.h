#pragma once
// The one exception type of the reading and writing layer. Its text is the
// message the user sees (the application shows it in a message box).

#include <stdexcept>
#include <string>

class EStreamError : public std::runtime_error {
public:
  explicit EStreamError(const std::string& Msg, std::string Detail = {})
      : std::runtime_error(Msg), FDetail(std::move(Detail)) {}
  // Extra context for a technical reader (e.g. the compression library's own text).
  const std::string& Detail() const { return FDetail; }

private:
  std::string FDetail;
};

// Message texts of the reading layer.
namespace StreamMsg {
inline constexpr const char* InvalidStreamFormat = "Invalid stream format";
inline constexpr const char* InvalidPropertyValue = "Invalid property value";
inline constexpr const char* InvalidPropertyPath = "Invalid property path";
inline constexpr const char* PropertyDoesNotExist = "Property does not exist";
inline constexpr const char* ClassNotFound = "Class %s not found";
inline constexpr const char* ClassExists = "A class named %s already exists";
inline constexpr const char* ListIndexOutOfBounds = "List index out of bounds (%d)";
inline constexpr const char* InvalidStreamOperation = "Invalid stream operation";
inline constexpr const char* CompressionError = "error";
inline constexpr const char* ImageTooLarge = "Decompressed drawing larger than 1 GiB";
}  // namespace StreamMsg

// Substitutes the single %s or %d of a message text.
std::string FormatStreamMsg(const char* Msg, const std::string& Arg);
std::string FormatStreamMsg(const char* Msg, long long Arg);
