// The INI_ID of a long id: the part that tells the animals apart, the end or the start,
// whole UTF-8 characters; a part that another animal has gets the shortened form instead.
#include "tools/pedprep/long_ids.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pedpeel::pedprep {
namespace {

struct LongIdCase {
  std::string name;
  std::vector<std::string> ids;
  std::vector<std::string> parts;  // by id: its INI_ID part, "~" for a shortened form
};

class LongIdTest : public ::testing::TestWithParam<LongIdCase> {};

TEST_P(LongIdTest, KeepsThePartThatTellsThemApart) {
  // The ids one after another, as an input holds them.
  std::string text;
  Animals animals;
  for (const std::string& id : GetParam().ids) {
    animals.list.emplace_back().original = {static_cast<uint32_t>(text.size()),
                                            static_cast<uint32_t>(id.size())};
    text += id;
  }
  animals.text = text.data();
  const LongIds long_ids = find_long_ids(animals);
  std::vector<std::string> parts;
  for (int32_t a = 0; a < animals.count(); ++a) {
    const std::string_view id = animals.original(a);
    if (id.size() <= 12) {
      parts.emplace_back(id);
    } else {
      parts.emplace_back(long_ids.kept[static_cast<size_t>(a)] ? long_ids.part(id) : "~");
    }
  }
  EXPECT_EQ(parts, GetParam().parts);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LongIdTest,
    ::testing::Values(LongIdCase{"TheEnd",
                                 {"DE100000156942", "DE100000156943", "A"},
                                 {"100000156942", "100000156943", "A"}},
                      LongIdCase{"TheStartWhenTheEndsAreAlike",
                                 {"0001-HOLSTEIN-XYZ-ABC", "0002-HOLSTEIN-XYZ-ABC"},
                                 {"0001-HOLSTEI", "0002-HOLSTEI"}},
                      LongIdCase{"APartThatIsAnotherAnimalsId",
                                 {"DE100000156942", "100000156942", "DE100000156943"},
                                 {"~", "100000156942", "100000156943"}},
                      LongIdCase{"PartsAlikeBothWaysTheEndOnATie",
                                 {"AB-0000000000-X", "AC-0000000000-X", "AB-0000000001-X"},
                                 {"~", "~", "0000000001-X"}},
                      LongIdCase{"WholeUtf8Characters",
                                 {"x\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4"},
                                 {"\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4"}}),
    [](const ::testing::TestParamInfo<LongIdCase>& info) { return info.param.name; });

}  // namespace
}  // namespace pedpeel::pedprep
