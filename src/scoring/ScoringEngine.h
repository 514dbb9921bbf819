#pragma once

#include "scoring/Abnormality.h"
#include "scoring/IndexResults.h"
#include "scoring/InputRecord.h"
#include "scoring/ProfileDistance.h"

namespace kalden {

// Everything one Compute computes, before any line of its report is written.
struct ComputationResults {
    IndexResults index;
    AbnormalityResults abnormality;
    ProfileDistanceResult profile;
    Warnings warnings; // raised by the numerical routines, in order
};

ComputationResults computeAll(const InputRecord& input);

} // namespace kalden
