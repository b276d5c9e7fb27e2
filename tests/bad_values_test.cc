// Bad values in every field of the pedigree file and the BLOOD file, one row each: the
// record that replaces one record of a valid population, and the exact standard error,
// standard output and exit status of the run. Values that the fields accept name a text
// that VOLMA.DAT or iway.IVM must then hold, so the row also shows what was read.
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "testing/output_checks.h"
#include "testing/temp_run.h"

namespace pedpeel {
namespace {

using namespace std::string_literals;

const std::vector<std::string> kPeds = {
    "    3",
    "    1    1    0    0    1    1A001",
    "    1    2    0    0    2    2A002",
    "    1    3    1    2    1    1A003",
};
const std::vector<std::string> kBlood = {
    "    3    3",
    "      1.0000      0.0000",
    "      0.0000      1.0000",
    "      0.5000      0.5000",
};

// Console text of a normal end of this population (three race codes with fractions).
const std::string kRaceWarning = "SORRY BUT NO MORE THEN 2 RACES IN VUVAZE\r\nCONTINUE\r\n";

std::string report(const std::string& code, const std::string& statement, const std::string& name,
                   const std::string& message) {
  return "\r\nrun-time error " + code + ": " + statement + "(" + name + ")\r\n- " + message +
         "\r\n";
}

std::string peds_error(const std::string& code, const std::string& message) {
  return report(code, "READ", "peds.dat", message);
}
std::string blood_error(const std::string& code, const std::string& message) {
  return report(code, "READ", "blood.dat", message);
}

const std::string kEof = "end of file encountered";
const std::string kIntOverflow = "INTEGER overflow on input";
const std::string kBadInt = "invalid INTEGER";
const std::string kRadixTwice = "multiple radix specifiers";
const std::string kBadRadix = "illegal radix specifier";
const std::string kBadReal = "invalid REAL";
const std::string kRealOverflow = "REAL math overflow";

std::string stop(const std::string& message) {
  return message + "\r\nStop - Program terminated.\r\n\r\n";
}

// Columns of a field: the first (from 1) and the width.
struct Field {
  size_t column;
  size_t width;
};
constexpr Field kIPED{1, 5}, kID{6, 5}, kIPAR1{11, 5}, kIPAR2{16, 5}, kRACE{21, 5}, kSEX{26, 5},
    kINI_ID{31, 12};
constexpr Field kNIND{1, 5}, kNRACE{6, 5};
constexpr Field kFraction1{1, 12}, kFraction2{13, 12};
constexpr Field kRecord{1, std::string::npos};  // the whole record

struct BadValue {
  const char* label;
  const char* file;  // "peds.dat" or "blood.dat"
  int line;          // record changed, from 1; 0: `text` is the whole file
  Field field;       // columns replaced by `text`, which may be shorter or longer
  std::string text;
  int status;
  std::string err;
  std::string out;
  std::string shows = "";  // accepted values: text that VOLMA.DAT or iway.IVM holds
};

std::string file_of(const std::vector<std::string>& records) {
  std::string bytes;
  for (const std::string& record : records) bytes += record + "\r\n";
  return bytes;
}

// Pedigree file: the count record is line 1, the individual with ID 3 line 4.
const BadValue kBadValues[] = {
    // Pedigree file, count record: NIND in I5.
    {"NIND letters", "peds.dat", 1, kNIND, "  abc", 1, peds_error("E6101", kBadInt), ""},
    {"NIND sign after digits", "peds.dat", 1, kNIND, "   3-", 1, peds_error("E6101", kBadInt), ""},
    {"NIND two signs", "peds.dat", 1, kNIND, "  +-3", 1, peds_error("E6101", kBadInt), ""},
    {"NIND sign only", "peds.dat", 1, kNIND, "    -", 1, peds_error("E6101", kBadInt), ""},
    {"NIND exponent", "peds.dat", 1, kNIND, "  3E0", 1, peds_error("E6101", kBadInt), ""},
    {"NIND decimal point", "peds.dat", 1, kNIND, "   3.", 1, peds_error("E6101", kBadInt), ""},
    {"NIND above the row limit", "peds.dat", 1, kNIND, "99999", 2, "",
     stop(" Error: more than 32767 individuals.")},
    {"NIND with plus and blanks", "peds.dat", 1, kNIND, " + 3 ", 0, "", kRaceWarning, "A003"},
    {"NIND with tabs", "peds.dat", 1, kNIND, "\t\t3\t\t", 0, "", kRaceWarning, "A003"},
    {"NIND in radix form", "peds.dat", 1, kNIND, " 2#11", 0, "", kRaceWarning, "A003"},
    {"NIND ended by a comma", "peds.dat", 1, kNIND, "3,xyz", 0, "", kRaceWarning, "A003"},
    {"NIND Ctrl-Z", "peds.dat", 1, kNIND, "   \0323", 1, peds_error("E6501", kEof), ""},
    {"NIND NUL byte", "peds.dat", 1, kNIND, "   \0003"s, 1, peds_error("E6101", kBadInt), ""},
    {"NIND CR inside", "peds.dat", 1, kNIND, "   3\r9", 1, peds_error("E6101", kBadInt), ""},
    {"NIND very long line", "peds.dat", 1, kNIND, "    3" + std::string(100000, 'x'), 0, "",
     kRaceWarning, "A003"},

    // Pedigree file, individual record: IPED, ID, IPAR1, IPAR2 (16-bit), RACE, SEX (8-bit).
    {"IPED letters", "peds.dat", 4, kIPED, "    x", 1, peds_error("E6101", kBadInt), ""},
    {"IPED radix with a sign after #", "peds.dat", 4, kIPED, " 8#-1", 1,
     peds_error("E6101", kBadInt), ""},
    {"ID 16-bit overflow", "peds.dat", 4, kID, "32768", 1, peds_error("E6100", kIntOverflow), ""},
    {"ID negative in five columns", "peds.dat", 4, kID, "-3276", 0, "", kRaceWarning,
     "    1    2-3276"},
    {"ID 32767 in radix form", "peds.dat", 4, kID, "#7FFF", 0, "", kRaceWarning, "    1    232767"},
    {"ID 32768 in radix form", "peds.dat", 4, kID, "#8000", 1, peds_error("E6100", kIntOverflow),
     ""},
    {"ID lower-case radix digits", "peds.dat", 4, kID, " #7ff", 0, "", kRaceWarning,
     "    1    2 2047"},
    {"ID signed radix form", "peds.dat", 4, kID, "-16#F", 0, "", kRaceWarning, "    1    2  -15"},
    {"IPAR1 radix 1", "peds.dat", 4, kIPAR1, "  1#1", 1, peds_error("E6303", kBadRadix), ""},
    {"IPAR1 radix 37", "peds.dat", 4, kIPAR1, " 37#1", 1, peds_error("E6303", kBadRadix), ""},
    {"IPAR1 two radix marks", "peds.dat", 4, kIPAR1, "1#2#3", 1, peds_error("E6302", kRadixTwice),
     ""},
    {"IPAR1 digit not below the base", "peds.dat", 4, kIPAR1, "2#102", 1,
     peds_error("E6101", kBadInt), ""},
    {"IPAR1 base of letters", "peds.dat", 4, kIPAR1, "  a#1", 1, peds_error("E6101", kBadInt), ""},
    {"IPAR1 radix without digits", "peds.dat", 4, kIPAR1, "  16#", 1, peds_error("E6101", kBadInt),
     ""},
    {"IPAR2 sign in the middle", "peds.dat", 4, kIPAR2, "  1+1", 1, peds_error("E6101", kBadInt),
     ""},
    {"IPAR2 NUL byte", "peds.dat", 4, kIPAR2, " \0002  "s, 1, peds_error("E6101", kBadInt), ""},
    {"IPAR2 ended by a comma", "peds.dat", 4, kIPAR2, "  2,", 0, "", kRaceWarning,
     "RACE      1    2    1"},
    {"RACE 128", "peds.dat", 4, kRACE, "  128", 1, peds_error("E6100", kIntOverflow), ""},
    {"RACE -128", "peds.dat", 4, kRACE, " -128", 1, peds_error("E6100", kIntOverflow), ""},
    {"RACE -127", "peds.dat", 4, kRACE, " -127", 0, "", kRaceWarning, "RACE      1    2 -127"},
    {"RACE 127 in radix form", "peds.dat", 4, kRACE, "  #7F", 0, "", kRaceWarning,
     "RACE      1    2  127"},
    {"RACE 128 in radix form", "peds.dat", 4, kRACE, "  #80", 1, peds_error("E6100", kIntOverflow),
     ""},
    {"SEX decimal point", "peds.dat", 4, kSEX, "  1.0", 1, peds_error("E6101", kBadInt), ""},
    {"SEX NaN", "peds.dat", 4, kSEX, "  NaN", 1, peds_error("E6101", kBadInt), ""},
    {"SEX Inf", "peds.dat", 4, kSEX, " -Inf", 1, peds_error("E6101", kBadInt), ""},
    {"SEX Ctrl-Z", "peds.dat", 4, kSEX, " \032  ", 1, peds_error("E6501", kEof), ""},
    {"SEX tabs", "peds.dat", 4, kSEX, "\t 2\t\t", 0, "", kRaceWarning, "SEX       1    2    2"},
    {"SEX CR alone", "peds.dat", 4, kSEX, "  1\r ", 1, peds_error("E6101", kBadInt), ""},
    {"record cut inside SEX",
     "peds.dat",
     4,
     {28, std::string::npos},
     "",
     0,
     "",
     kRaceWarning,
     "SEX       1    2    0"},
    {"records ended by CR alone", "peds.dat", 0, kRecord,
     "    3\r    1    1    0    0    1    1A001\r    1    2    0    0    2    2A002\r"
     "    1    3    1    2    1    1A003\r",
     1, peds_error("E6501", kEof), ""},

    // Pedigree file, INI_ID (A12): every byte is data, kept as it stands.
    {"INI_ID tab, comma, Ctrl-Z, CR, NUL", "peds.dat", 4, kINI_ID, "\t,\032\r\000xyz    "s, 0, "",
     kRaceWarning, "\t,\032\r\000xyz    "s},
    {"INI_ID very long line", "peds.dat", 4, kINI_ID, "LONG" + std::string(100000, '9'), 0, "",
     kRaceWarning, "LONG99999999"},

    // BLOOD file, count record: NIND and NRACE in I5.
    {"BLOOD NIND letters", "blood.dat", 1, kNIND, "  abc", 1, blood_error("E6101", kBadInt), ""},
    {"BLOOD NIND above the row limit", "blood.dat", 1, kNIND, "40000", 2, "",
     stop(" Error: more than 32767 individuals.")},
    {"NRACE above 11", "blood.dat", 1, kNRACE, "   12", 2, "",
     stop(" Error: more than 10 race fractions per individual.")},
    {"NRACE in radix form", "blood.dat", 1, kNRACE, " 2#11", 0, "", kRaceWarning,
     "BLOOD    .1000E+01   .0000E+00"},
    {"NRACE NUL byte", "blood.dat", 1, kNRACE, " \0003 "s, 1, blood_error("E6101", kBadInt), ""},
    {"NRACE large in radix form", "blood.dat", 1, kNRACE, "#FFFF", 2, "",
     stop(" Error: more than 10 race fractions per individual.")},

    // BLOOD file, fractions in E12.4 (the individual with ID 3 is line 4).
    {"fraction letters", "blood.dat", 4, kFraction1, "         abc", 1,
     blood_error("E6103", kBadReal), ""},
    {"fraction NaN", "blood.dat", 4, kFraction1, "         NaN", 1, blood_error("E6103", kBadReal),
     ""},
    {"fraction Inf", "blood.dat", 4, kFraction2, "         Inf", 1, blood_error("E6103", kBadReal),
     ""},
    {"fraction -Infinity", "blood.dat", 4, kFraction1, "   -Infinity", 1,
     blood_error("E6103", kBadReal), ""},
    {"fraction two points", "blood.dat", 4, kFraction1, "       1.2.3", 1,
     blood_error("E6103", kBadReal), ""},
    {"fraction exponent without digits", "blood.dat", 4, kFraction1, "        1.0E", 1,
     blood_error("E6103", kBadReal), ""},
    {"fraction exponent only", "blood.dat", 4, kFraction1, "          E5", 1,
     blood_error("E6103", kBadReal), ""},
    {"fraction two signs", "blood.dat", 4, kFraction1, "       --0.5", 1,
     blood_error("E6103", kBadReal), ""},
    {"fraction sign at the end", "blood.dat", 4, kFraction2, "        0.5-", 1,
     blood_error("E6103", kBadReal), ""},
    {"fraction radix form", "blood.dat", 4, kFraction1, "       16#FF", 1,
     blood_error("E6103", kBadReal), ""},
    {"fraction above the 32-bit range", "blood.dat", 4, kFraction1, "      1.5E39", 1,
     blood_error("E6104", kRealOverflow), ""},
    {"fraction below minus the 32-bit range", "blood.dat", 4, kFraction2, "     -1.5E39", 1,
     blood_error("E6104", kRealOverflow), ""},
    {"fraction rounding past the largest real", "blood.dat", 4, kFraction1, "3.4028236E38", 1,
     blood_error("E6104", kRealOverflow), ""},
    {"fraction the largest real", "blood.dat", 4, kFraction1, "3.4028234E38", 0, "", kRaceWarning,
     "BLOOD    .3403E+39   .5000E+00"},
    {"fraction below the smallest real", "blood.dat", 4, kFraction1, "       1E-50", 0, "",
     kRaceWarning, "BLOOD    .0000E+00   .5000E+00"},
    {"fraction subnormal", "blood.dat", 4, kFraction1, "     1.4E-45", 0, "", kRaceWarning,
     "BLOOD    .1401E-44   .5000E+00"},
    {"fractions with implied decimals and a bare point", "blood.dat", 4, kRecord,
     "        2500          5.", 0, "", kRaceWarning, "BLOOD    .2500E+00   .5000E+01"},
    {"fractions with exponent forms", "blood.dat", 4, kRecord, "         5-1      0.5D+0", 0, "",
     kRaceWarning, "BLOOD    .5000E-04   .5000E+00"},
    {"fraction of twelve digits", "blood.dat", 4, kFraction1, "000000000001", 0, "", kRaceWarning,
     "BLOOD    .1000E-03   .5000E+00"},
    {"fractions separated by a comma", "blood.dat", 4, kRecord, "0.25,0.75", 0, "", kRaceWarning,
     "BLOOD    .2500E+00   .7500E+00"},
    {"fractions with tabs", "blood.dat", 4, kRecord, "\t0.25\t\t\t\t\t\t\t\t0.75", 0, "",
     kRaceWarning, "BLOOD    .2500E+00   .7500E+00"},
    {"fraction Ctrl-Z", "blood.dat", 4, kFraction1, "      \0320.25", 1, blood_error("E6501", kEof),
     ""},
    {"fraction CR alone", "blood.dat", 4, kFraction1, "      0.25\r0", 1,
     blood_error("E6103", kBadReal), ""},
    {"fraction NUL byte", "blood.dat", 4, kFraction1, "      0.25\0000"s, 1,
     blood_error("E6103", kBadReal), ""},
    {"fraction very long line", "blood.dat", 4, kRecord,
     "      0.2500      0.7500" + std::string(100000, '-'), 0, "", kRaceWarning,
     "BLOOD    .2500E+00   .7500E+00"},
};

TEST(BadValuesTest, EveryFieldOfBothDataFiles) {
  for (const BadValue& row : kBadValues) {
    SCOPED_TRACE(row.label);
    std::vector<std::string> peds = kPeds;
    std::vector<std::string> blood = kBlood;
    std::vector<std::string>& changed = std::string(row.file) == "peds.dat" ? peds : blood;
    if (row.line > 0) {
      std::string& record = changed.at(static_cast<size_t>(row.line - 1));
      record.replace(row.field.column - 1, row.field.width, row.text);
    }
    const testing::TempDir dir;
    dir.write("input1.dat", "peds.dat\r\nblood.dat\r\n");
    dir.write("peds.dat", row.line == 0 && &changed == &peds ? row.text : file_of(peds));
    dir.write("blood.dat", row.line == 0 && &changed == &blood ? row.text : file_of(blood));
    const testing::RunResult result = testing::run_in_process(dir);
    EXPECT_EQ(result.status, row.status);
    EXPECT_EQ(result.err, row.err) << testing::first_difference(row.err, result.err);
    EXPECT_EQ(result.out, row.out) << testing::first_difference(row.out, result.out);
    for (const auto& [name, bytes] : result.files) {
      if (name == "VOLMA.DAT" || name == "def.err" || name == "iway.IVM") {
        EXPECT_TRUE(testing::holds_complete_records(bytes)) << name;
      }
    }
    if (row.status == 0) {
      const std::string written = result.files.at("VOLMA.DAT") + result.files.at("iway.IVM");
      EXPECT_NE(written.find(row.shows), std::string::npos)
          << "VOLMA.DAT and iway.IVM lack \"" << row.shows << "\"";
    } else {
      // The run ended while loading: nothing but the empty outputs it never reached.
      EXPECT_EQ(result.files.count("VOLMA.DAT"), 0u);
      EXPECT_EQ(result.files.count("iway.IWA"), 0u);
    }
  }
}

}  // namespace
}  // namespace pedpeel
