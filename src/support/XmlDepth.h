#pragma once
// How deeply the elements of a document nest. Files and answers from outside
// are written back indented, and indentation grows with the square of the
// depth: a few megabytes nested a hundred thousand levels deep would become
// many gigabytes. Readers refuse documents deeper than their files can be.

#include <cstddef>
#include <pugixml.hpp>

namespace kanvio {

// The depth of the deepest element below node (its children are at depth 1),
// counted without recursion.
std::size_t NestingDepth(pugi::xml_node node);

}  // namespace kanvio
