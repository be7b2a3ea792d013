// AX: the read operations through which the program looks at other programs' windows.
//
// Every operation answers with no value (an empty element, an empty list) instead of failing, so
// callers never handle the accessibility service's errors. Each attribute read is one request to
// the other program, bounded by the messaging timeout the program sets at start (one second), so
// an application that does not answer costs at most that per request. Main thread only.

#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/AXElement.h"
#include "platform/Geometry.h"

namespace qb::AX {

// The attribute as text; no value when it is not text (an empty text is returned as it is).
std::optional<std::string> string(const AXElement& element, std::string_view attribute);
// The attribute as a flag ("AXFocused", "AXFullScreen"); no value when it is not one.
std::optional<bool> flag(const AXElement& element, std::string_view attribute);
// The attribute as a run of text ("AXSelectedTextRange"); no value when it is not one.
std::optional<TextRange> range(const AXElement& element, std::string_view attribute);
// The attribute as an element; an empty element when it is not one.
AXElement element(const AXElement& element, std::string_view attribute);
// "AXChildren"; empty when unreadable.
std::vector<AXElement> children(const AXElement& element);
// "AXPosition" and "AXSize" (the size is asked only when the position was read), in screen
// pixels with the origin at the top left of the primary screen; no value unless both read.
std::optional<Rect> frame(const AXElement& element);
// A frame turned over to coordinates whose origin is the bottom-left corner of the primary screen
// and whose y grows upwards; with no screen, y is the negated maximum y.
Rect cocoaFrame(const Rect& rect);

using Predicate = std::function<bool(const AXElement& element, std::string_view role)>;

// Breadth-first search from root for the first element `where` accepts, examining at most
// maxNodes elements (none when maxNodes <= 0; the match itself is not counted). An element whose
// role cannot be read is offered with the empty role. A web area's children are never queued, so
// searches for window furniture stay out of page content (the web area itself can still match).
AXElement find(const AXElement& root, int maxNodes, const Predicate& where);

}  // namespace qb::AX
