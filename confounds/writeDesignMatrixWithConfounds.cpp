// Placeholder until the streamed merge lands: forms and reports the output name only.
#include "confounds/writeDesignMatrixWithConfounds.h"

#include <istream>
#include <ostream>

#include "common/text.h"
#include "host/hostLog.h"

std::string writeDesignMatrixWithConfounds(const std::string& designMatrixName,
                                           const ConfoundRecord*, const ConfoundRecord*,
                                           const ConfoundRecord*, bool, bool, bool) {
    return designMatrixName;
}

std::string writeDesignMatrixWithAllConfounds(const std::string& designMatrixName,
                                              const ConfoundRecord&, const ConfoundRecord&,
                                              const ConfoundRecord&) {
    return designMatrixName;
}

bool mergeDesignMatrixWithConfounds(std::istream&, std::ostream&, const ConfoundSet&,
                                    ConfoundWriterVariant, const std::string&) {
    return false;
}
