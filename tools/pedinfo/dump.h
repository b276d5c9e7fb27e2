// pedinfo dump: iway.IWA as readable text or JSON.
#ifndef PEDPEEL_TOOLS_PEDINFO_DUMP_H_
#define PEDPEEL_TOOLS_PEDINFO_DUMP_H_

#include <ostream>
#include <string>

#include "tools/pedinfo/iwa_reader.h"
#include "tools/pedinfo/original_ids.h"

namespace pedpeel::pedinfo {

/// Header, each record with its segments and named values, trailer; a damaged file ends
/// with "NAME: offset N: damaged: expected ..., found ...". With `ids`, the IDs of MEMBERS
/// and IWAYREC show their original ids.
void write_dump_text(const std::string& name, const IwaFile& file, std::ostream& out,
                     const OriginalIds* ids = nullptr);
/// The same as one JSON document (original ids in "originals" beside "values").
void write_dump_json(const std::string& name, const IwaFile& file, std::ostream& out,
                     const OriginalIds* ids = nullptr);

}  // namespace pedpeel::pedinfo

#endif  // PEDPEEL_TOOLS_PEDINFO_DUMP_H_
