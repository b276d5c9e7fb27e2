#include "records/units.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "records/binary_format.h"
#include "records/exponent_field_cache.h"

namespace pedpeel {

namespace {

ErrorCode open_error(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
    case EISDIR:
      return ErrorCode::kAccessNotAllowed;
    case EMFILE:
    case ENFILE:
      return ErrorCode::kTooManyOpenFiles;
    case EINVAL:
    case ENAMETOOLONG:
    case EILSEQ:
      return ErrorCode::kInvalidName;
    default:
      return ErrorCode::kFileNotFound;
  }
}

ErrorCode write_error(int error) {
  switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return ErrorCode::kNoSpace;
    default:
      return ErrorCode::kWriteRefused;
  }
}

bool refused(int error) {
  return error == EACCES || error == EPERM || error == EROFS || error == EISDIR || error == ETXTBSY;
}

}  // namespace

Units::Units(int directory_fd, BlankNameSource& blank_names)
    : directory_fd_(directory_fd), blank_names_(blank_names), table_(kCapacity) {}

Units::~Units() {
  for (Unit& unit : table_) {
    if (unit.fd >= 0) ::close(unit.fd);
  }
}

Unit* Units::find(int number) {
  for (Unit& unit : table_) {
    if (unit.fd >= 0 && unit.number == number) return &unit;
  }
  return nullptr;
}

Unit& Units::connected(int number, StatementKind statement) {
  last_found_ = find(number);
  if (last_found_ != nullptr) return *last_found_;
  const ErrorCode code =
      statement == StatementKind::kRead ? ErrorCode::kReadRefused : ErrorCode::kWriteRefused;
  throw RunError{code, statement, "unit " + std::to_string(number)};
}

int Units::open_read_only_or_write_only(const std::string& name) {
  int fd = ::openat(directory_fd_, name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0 && refused(errno)) {
    const int first_error = errno;
    fd = ::openat(directory_fd_, name.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) errno = first_error;
  }
  return fd;
}

int Units::open_descriptor(const std::string& name, OpenIntent intent, bool* created) {
  *created = false;
  // A file that may only be written still opens; its first read then fails.
  if (intent == OpenIntent::kInput) return open_read_only_or_write_only(name);
  int fd = ::openat(directory_fd_, name.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0 && errno == ENOENT) {
    fd = ::openat(directory_fd_, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    // A symbolic link to a missing file: the file it points to is created.
    if (fd < 0 && errno == EEXIST) {
      fd = ::openat(directory_fd_, name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    }
    if (fd >= 0) *created = true;
  }
  if (fd < 0 && refused(errno)) {
    const int first_error = errno;
    fd = open_read_only_or_write_only(name);
    if (fd < 0) errno = first_error;
  }
  return fd;
}

void Units::open(int number, std::string_view name_field, Form form, OpenIntent intent) {
  std::string name = trim_file_name(name_field);
  if (name.empty()) name = blank_names_.name_for(number);
  if (Unit* current = find(number)) {
    if (current->name == name) {
      if (current->form != form) {
        throw RunError{ErrorCode::kParameterMismatch, StatementKind::kOpen, name};
      }
      return;
    }
    close(number);
  }
  for (const Unit& other : table_) {
    if (other.fd >= 0 && other.name == name) {
      throw RunError{ErrorCode::kConnectedElsewhere, StatementKind::kOpen, name};
    }
  }
  Unit* slot = nullptr;
  for (Unit& unit : table_) {
    if (unit.fd < 0) {
      slot = &unit;
      break;
    }
  }
  if (slot == nullptr) throw RunError{ErrorCode::kTooManyUnits, StatementKind::kOpen, name};
  // A name with a NUL byte cannot be passed on whole: the system rejects it as invalid.
  if (name.find('\0') != std::string::npos) {
    throw RunError{ErrorCode::kInvalidName, StatementKind::kOpen, name};
  }
  bool created = false;
  const int fd = open_descriptor(name, intent, &created);
  if (fd < 0) throw RunError{open_error(errno), StatementKind::kOpen, name};

  *slot = Unit{};
  slot->number = number;
  slot->name = std::move(name);
  slot->fd = fd;
  slot->form = form;
  struct stat status;
  slot->regular_file = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
  slot->written = created;
  slot->cut = created;
  // Room for a full buffer and the record that fills it, so the buffer never moves as it
  // grows; only the bytes written are touched.
  if (intent != OpenIntent::kInput) slot->output.reserve(2 * kFlushSize);
  if (intent == OpenIntent::kOutputCutAtOpen) cut_at_start(*slot);
}

void Units::cut_at_start(Unit& unit) {
  if (unit.cut) return;
  unit.cut = true;
  if (!unit.regular_file) return;
  if (::ftruncate(unit.fd, 0) != 0) {
    unit.failed = true;
    throw RunError{write_error(errno), StatementKind::kWrite, unit.name};
  }
}

void Units::flush(Unit& unit) {
  if (unit.failed) {
    unit.output.clear();
    return;
  }
  size_t done = 0;
  while (done < unit.output.size()) {
    const ssize_t n = ::write(unit.fd, unit.output.data() + done, unit.output.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int error = n < 0 ? errno : ENOSPC;
      unit.failed = true;
      unit.output.clear();
      // Leave no part of a record behind: the file ends with the last complete flush, `done`
      // bytes before the position the writes reached.
      const off_t reached = unit.regular_file ? ::lseek(unit.fd, 0, SEEK_CUR) : -1;
      const off_t start = reached - static_cast<off_t>(done);
      if (reached >= 0 && start >= 0 && ::ftruncate(unit.fd, start) == 0) {
        ::lseek(unit.fd, start, SEEK_SET);
      }
      throw RunError{write_error(error), StatementKind::kWrite, unit.name};
    }
    done += static_cast<size_t>(n);
  }
  unit.output.clear();
}

void Units::release(Unit& unit) {
  ::close(unit.fd);
  unit = Unit{};
}

void Units::close(int number) {
  Unit* unit = find(number);
  if (unit == nullptr) return;
  try {
    if (unit->written && unit->form == Form::kBinary && !unit->failed) {
      if (!unit->binary_started) unit->output.push_back(static_cast<char>(kBinaryHeader));
      unit->binary_started = true;
      unit->output.push_back(static_cast<char>(kBinaryTrailer));
    }
    flush(*unit);
  } catch (const RunError&) {
    release(*unit);
    throw;
  }
  release(*unit);
}

std::optional<RunError> Units::close_all() {
  std::optional<RunError> first;
  for (Unit& unit : table_) {
    if (unit.fd < 0) continue;
    try {
      close(unit.number);
    } catch (const RunError& error) {
      if (!first) first = error;
    }
  }
  return first;
}

bool Units::fill_block(Unit& unit) {
  if (unit.block_position < unit.block_length) return true;
  if (unit.input_ended) return false;
  if (unit.block.empty()) unit.block.resize(kBlockSize + kBlockSlack);
  ssize_t n;
  do {
    n = ::read(unit.fd, unit.block.data(), kBlockSize);
  } while (n < 0 && errno == EINTR);
  if (n < 0) throw RunError{ErrorCode::kReadRefused, StatementKind::kRead, unit.name};
  unit.block_position = 0;
  unit.block_length = static_cast<size_t>(n);
  unit.input_ended = n == 0;
  return n > 0;
}

size_t Units::first_text_past(std::string_view line, size_t keep) {
  for (size_t i = keep; i < line.size(); ++i) {
    if (line[i] == ' ') continue;
    return i + 1 == line.size() && line[i] == '\r' ? 0 : i + 1;
  }
  return 0;
}

bool Units::read_record_across_blocks(Unit& unit, std::string_view* record, std::string* storage,
                                      size_t keep, size_t* text_past) {
  storage->clear();
  size_t length = 0;      // bytes of the line so far
  size_t first_text = 0;  // column of the first byte past `keep` that is not a blank
  char first_text_byte = 0;
  bool any = false;
  bool line_ended = false;
  bool in_block = false;  // the kept bytes lie whole in the block, not in storage
  while (!line_ended && fill_block(unit)) {
    const char* begin = unit.block.data() + unit.block_position;
    const char* end = unit.block.data() + unit.block_length;
    const char* newline =
        static_cast<const char*>(memchr(begin, '\n', static_cast<size_t>(end - begin)));
    line_ended = newline != nullptr;
    const char* stop = line_ended ? newline : end;
    const size_t n = static_cast<size_t>(stop - begin);
    const size_t kept = length < keep ? std::min(n, keep - length) : 0;
    if (!any && line_ended) {
      *record = std::string_view(begin, kept);  // the usual case: no copy
      in_block = true;
    } else {
      storage->append(begin, kept);
    }
    any = true;
    for (const char* c = begin + kept; first_text == 0 && c < stop; ++c) {
      if (*c == ' ') continue;
      first_text = length + static_cast<size_t>(c - begin) + 1;
      first_text_byte = *c;
    }
    length += n;
    unit.block_position += n + (line_ended ? 1 : 0);
  }
  if (!any) return false;
  if (!in_block) *record = *storage;
  // A CR that ends the line belongs to the line end, not to the record.
  if (record->size() == length && record->ends_with('\r')) record->remove_suffix(1);
  if (first_text == length && first_text_byte == '\r') first_text = 0;
  *text_past = first_text;
  return true;
}

}  // namespace pedpeel
