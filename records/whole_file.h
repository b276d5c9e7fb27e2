// A file read or written whole, in one call: the tools' inputs (a herd-book, iway.IWA,
// VOLMA.DAT, ids.tsv) and the small files they write. pedpeel's own files go through the
// unit table (units.h) instead.
#ifndef PEDPEEL_RECORDS_WHOLE_FILE_H_
#define PEDPEEL_RECORDS_WHOLE_FILE_H_

#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace pedpeel {

/// Reads the whole file at `path` into `bytes`, replacing what it held. Returns the
/// system's reason when it cannot (a missing file, a directory, a failed read, or a file
/// too large to hold), `bytes` then empty; else an empty error_code. A regular file's room
/// is taken at once.
std::error_code read_whole_file(const std::string& path, std::string* bytes);
std::error_code read_whole_file(const std::string& path, std::vector<char>* bytes);

/// Writes `bytes` as the whole file at `path`, created or cut. Returns the system's reason
/// when the file cannot be opened, written or closed; else an empty error_code.
std::error_code write_whole_file(const std::string& path, std::string_view bytes);

/// "PATH: reason", the line a failure above is reported with; "" for no failure.
std::string describe_file_error(const std::string& path, std::error_code error);

}  // namespace pedpeel

#endif  // PEDPEEL_RECORDS_WHOLE_FILE_H_
