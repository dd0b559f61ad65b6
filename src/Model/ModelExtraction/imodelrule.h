#pragma once

#include "Model/ModelExtraction/istructure.h"
#include "Model/ModelExtraction/preprocessing.h"

#include <boost/shared_ptr.hpp>

namespace Model {
namespace ModelExtraction {

class IModelRule
{
public:
    virtual ~IModelRule() = default;
    // Empty when the rule finds nothing.
    virtual boost::shared_ptr<IStructure> apply(const BoxList &boxes) = 0;
};

} // namespace ModelExtraction
} // namespace Model
