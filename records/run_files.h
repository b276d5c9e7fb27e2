// The files of a run: the name each is opened by and the unit it is connected to. The data
// files have no fixed name: input1.dat names them in its first two records.
#ifndef PEDPEEL_RECORDS_RUN_FILES_H_
#define PEDPEEL_RECORDS_RUN_FILES_H_

namespace pedpeel {

// Columns of a file-name field in the control file.
inline constexpr int kNameWidth = 20;

// The control file: the pedigree file's name, then the BLOOD file's name.
inline constexpr char kControlFile[] = "input1.dat";
inline constexpr int kControlUnit = 1;
// The pedigree file and then the BLOOD file, one after the other.
inline constexpr int kDataUnit = 3;
// iway.IWA and then iway.IVM, one after the other.
inline constexpr char kIwaFile[] = "iway.IWA";
inline constexpr char kIvmFile[] = "iway.IVM";
inline constexpr int kExportUnit = 11;
// One block of lines per family record.
inline constexpr char kVolmaFile[] = "VOLMA.DAT";
inline constexpr int kVolmaUnit = 20;
// The loop report.
inline constexpr char kLoopReportFile[] = "def.err";
inline constexpr int kLoopReportUnit = 35;

}  // namespace pedpeel

#endif  // PEDPEEL_RECORDS_RUN_FILES_H_
