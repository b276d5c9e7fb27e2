// The two ways a stage can end a run early: a run-time error of the record I/O layer
// (report on standard error, exit status 1) and a stop after a console message (exit
// status 2). Both are thrown and caught only by the run end (run_end.h).
#ifndef PEDPEEL_RECORDS_RUN_ERROR_H_
#define PEDPEEL_RECORDS_RUN_ERROR_H_

#include <string>
#include <string_view>

namespace pedpeel {

// Run-time error codes the system's inputs and environment can raise.
enum class ErrorCode {
  kEndOfFile,             // E6501
  kIntegerOverflow,       // E6100
  kInvalidInteger,        // E6101
  kMultipleRadix,         // E6302
  kIllegalRadix,          // E6303
  kInvalidReal,           // E6103
  kRealOverflow,          // E6104
  kTextFieldExpected,     // E6205
  kRealFieldExpected,     // E6206
  kIntegerFieldExpected,  // E6207
  kFileNotFound,          // E6416
  kAccessNotAllowed,      // E6414
  kTooManyOpenFiles,      // E6417
  kInvalidName,           // E6412
  kTooManyUnits,          // E6418
  kParameterMismatch,     // E6209
  kConnectedElsewhere,    // E6413
  kReadRefused,           // E6500
  kWriteRefused,          // E6421
  kNoSpace,               // E6422
};

// The statement that failed, as named in the report.
enum class StatementKind { kRead, kWrite, kOpen, kClose };

// The five-character code, e.g. "E6501".
std::string_view error_code_text(ErrorCode code);
// The message written after "- ", e.g. "end of file encountered".
std::string_view error_message(ErrorCode code);

// A run-time error: ends the run with the report on standard error and exit status 1.
struct RunError {
  ErrorCode code;
  StatementKind statement;
  std::string file;  // the unit's file name as trimmed, or "stdin" for the prompt

  // The exact bytes of the report: CR LF, "run-time error E....: READ(name)", CR LF,
  // "- message", CR LF.
  std::string report() const;
};

// Why a run stopped: a population the tables or the export formats cannot hold, or a
// loop the loop resolution pass cannot make sense of.
enum class StopReason {
  kTooManyIndividuals,       // NIND past the limit
  kTooManyFractions,         // NRACE - 1 past the limit
  kTooManyMemberEntries,     // a family record would take MEMBERS past its limit
  kTooManyLoopHeadChildren,  // a loop head with too many children
  kNotUnderstood,            // a mating whose two partners are both parents of the loop head
};

// The console line a stop writes before "Stop - Program terminated.".
std::string_view stop_message(StopReason reason);

// A stop: ends the run with its console line, "Stop - Program terminated." and exit
// status 2. Raised where the condition is found, printed only by the run end.
struct RunStop {
  StopReason reason;
};

}  // namespace pedpeel

#endif  // PEDPEEL_RECORDS_RUN_ERROR_H_
