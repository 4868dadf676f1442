// The hot-spot tables of the printer pictures.
#include "model/control_state_tables.h"

#include "field_ids.h"

namespace {

constexpr DWORD kTag = 90;

// The bands of the source-tray picture, named after the code they answer. Bands 3, 5 and 6
// answer only for the 1-step unit's configurations (kdm1StepOptionNum 1 to 4) that have them.
constexpr RECTL kBand2{69, 58, 135, 66};
constexpr RECTL kBand3{69, 67, 135, 80};
constexpr RECTL kBand5{69, 81, 135, 94};
constexpr RECTL kBand6{69, 95, 135, 109};
constexpr RECTL kBand8{79, 31, 130, 55};

const HotspotRow kSourceTrayHotspots[kSourceTrayHotspotCount + 1] = {
    {kTag, kBand2, 0, 2, 0, 0, 0, nullptr},
    {kTag, kBand3, fid::kdmSourceOptionType1Step, 3, fid::kdm1StepOptionNum, 0, 1, nullptr},
    {kTag, kBand3, 0, 3, fid::kdm1StepOptionNum, 0, 2, nullptr},
    {kTag, kBand3, 0, 3, fid::kdm1StepOptionNum, 0, 3, nullptr},
    {kTag, kBand3, 0, 3, fid::kdm1StepOptionNum, 0, 4, nullptr},
    {kTag, kBand5, fid::kdmSourceOptionType1Step, 5, fid::kdm1StepOptionNum, 0, 2, nullptr},
    {kTag, kBand5, fid::kdmSourceOptionType1Step, 5, fid::kdm1StepOptionNum, 0, 3, nullptr},
    {kTag, kBand5, fid::kdmSourceOptionType1Step, 5, fid::kdm1StepOptionNum, 0, 4, nullptr},
    {kTag, kBand6, fid::kdmSourceOptionType1Step, 6, fid::kdm1StepOptionNum, 0, 4, nullptr},
    {kTag, kBand8, 0, 8, 0, 0, 0, nullptr},
    {0, {0, 0, 0, 0}, 0, 0, 0, 0, 0, nullptr},
};

const HotspotRow kOutputHotspots[] = {
    {0, {0, 0, 0, 0}, 0, 0, 0, 0, 0, nullptr},
};

}  // namespace

const HotspotRow* GetBuiltinTable12() { return kSourceTrayHotspots; }
const HotspotRow* GetBuiltinTable13() { return kOutputHotspots; }
