#pragma once

// The kit's answers to assistive technologies for the controls that Qt does
// not describe by itself: the slider's real value, the tab strip's page tabs,
// the box as a group or a separator. Every control of the kit calls this in
// its constructor; the first call installs the factory.
namespace controls {

void installKitAccessibility();

} // namespace controls
