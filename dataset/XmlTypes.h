#pragma once

// The names of the XML library's types that the dataset's headers declare private members
// with. The library itself is included only by dataset/'s own sources, so it does not reach
// the code that uses a dataset.

namespace pugi {
class xml_attribute;
class xml_document;
class xml_node;
struct xml_attribute_struct;
struct xml_node_struct;
} // namespace pugi
