#pragma once

// What assistive technology (a screen reader) is told about a TabControl:
// a page-tab list whose page tabs carry the captions, say which one is
// current, carry the tab's tool tip as their description and switch to their
// page when pressed, as a click does. The control draws its tabs itself, so
// without this the toolkit would show it as a blank filler.
//
// Registers the interface with the toolkit; once is enough, more calls do
// nothing.
void installTabControlAccessibility();
