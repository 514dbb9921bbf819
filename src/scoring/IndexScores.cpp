#include "scoring/IndexScores.h"

#include <cmath>

#include "stats/NormalDistribution.h"

namespace kalden {

namespace {

double compositeSum(const InputRecord& in, IndexId id) {
    switch (id) {
    case IndexId::VC: return in.vocabulary + in.similarities;
    case IndexId::PO: return in.blockDesign + in.matrixReasoning;
    case IndexId::WM: return in.arithmetic + in.digitSpan;
    case IndexId::PS: return in.digitSymbol;
    case IndexId::FSIQ:
        // The order of the additions is part of the digits.
        return in.vocabulary + in.similarities + in.blockDesign + in.matrixReasoning + in.arithmetic + in.digitSpan +
               in.digitSymbol;
    }
    return 0;
}

} // namespace

double percentileOf(double value, Warnings& warnings) {
    return normalCdf((value - IndexMean) / IndexSd, warnings) * 100.0;
}

const IndexDefinition& indexDefinition(IndexId id) { return IndexDefinitions[static_cast<std::size_t>(id)]; }

bool isTraditional(ConfidenceMethod method) {
    return method == ConfidenceMethod::Traditional95 || method == ConfidenceMethod::Traditional90;
}

double confidenceDeviate(ConfidenceMethod method) {
    return (method == ConfidenceMethod::Traditional95 || method == ConfidenceMethod::Glutting95) ? Z95 : Z90;
}

void computeIndexScores(const InputRecord& input, ConfidenceMethod method, IndexResults& results, Warnings& warnings) {
    results.confidenceMethod = method;
    const double z = confidenceDeviate(method);
    for (std::size_t i = 0; i < IndexCount; ++i) {
        const IndexId id = indexAt(i);
        const IndexDefinition& def = IndexDefinitions[i];
        IndexResult& r = results[id];
        r.compositeSum = compositeSum(input, id);
        r.score = ((r.compositeSum - def.mean) / def.sd) * IndexSd + IndexMean;
        r.trueScore = (r.score - IndexMean) * def.reliability + IndexMean;
        const double measurementError = std::sqrt(1.0 - def.reliability) * IndexSd;
        if (isTraditional(method)) {
            r.standardError = measurementError;
            r.lowerLimit = r.score - z * r.standardError;
            r.upperLimit = r.score + z * r.standardError;
        } else {
            r.standardError = measurementError * def.reliability;
            r.lowerLimit = r.trueScore - z * r.standardError;
            r.upperLimit = r.trueScore + z * r.standardError;
        }
        // An exact 100 would make the integration run all twenty steps.
        r.percentile = r.score == IndexMean ? 50.0 : percentileOf(r.score, warnings);
        r.percentileLower = percentileOf(r.lowerLimit, warnings);
        r.percentileUpper = percentileOf(r.upperLimit, warnings);
    }
}

} // namespace kalden
