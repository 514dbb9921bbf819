#include "scoring/IndexResults.h"

namespace kalden {

PairMembers pairMembers(IndexPair pair) {
    switch (pair) {
    case IndexPair::VC_PO: return {IndexId::VC, IndexId::PO};
    case IndexPair::VC_WM: return {IndexId::VC, IndexId::WM};
    case IndexPair::VC_PS: return {IndexId::VC, IndexId::PS};
    case IndexPair::PO_WM: return {IndexId::PO, IndexId::WM};
    case IndexPair::PO_PS: return {IndexId::PO, IndexId::PS};
    case IndexPair::WM_PS: return {IndexId::WM, IndexId::PS};
    }
    return {IndexId::VC, IndexId::PO};
}

} // namespace kalden
