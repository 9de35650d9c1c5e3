#pragma once

// Style rules written so that the style-sheet parser of EPUB checkers and older readers
// can read them. Sheets written for today's browsers nest rules inside rules (a rule or
// an @media inside a rule's block), which those parsers refuse: each nested rule is
// written as a rule of its own after its parent, its selectors combined with the
// parent's ("a, b { c, d {} }" gives "a c, a d, b c, b d"; "&" stands for the parent
// where it appears), and a nested @media (@supports, @container, @layer, ...) holds the
// parent's selectors around the declarations it held. Declarations after a nested rule
// go in a rule of the parent's selectors of their own, so they still come after it in
// the cascade.
//
// Rules whose selectors those parsers refuse and that cannot be written otherwise are
// left out: a relative selector or anything but names, numbers and strings inside a
// functional pseudo-class other than :not() (":has(> .x)", ":is(.a, .b)"), more than one
// simple selector inside :not(), an attribute selector with a case flag ("[x=y i]"), the
// column combinator "||", an "&" with no parent, and a selector of nothing or one that a
// '}' or ';' too many runs into (browsers drop those too). So are at-rules that cannot stand
// inside a style rule, and a rule nested so deep or whose combined selectors grow so
// long that writing it flat is not reasonable.
//
// Text that needs none of this (a sheet without nesting, a style attribute's
// declarations) comes out byte for byte as it went in.

#include <cstddef>
#include <string>

namespace litgen {

struct FlatStyleRules {
    size_t flattened = 0;  // nested rules and at-rules written flat
    size_t leftOut = 0;    // style rules (and at-rules inside them) that were left out
};

// Writes the nested rules of `css`, a style sheet's or style element's text, flat and
// leaves out the rules the parsers cannot read. Strings, comments, escapes and url()s
// are never taken for structure.
FlatStyleRules FlattenStyleRules(std::string& css);

}  // namespace litgen
