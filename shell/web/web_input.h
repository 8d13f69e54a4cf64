// The page's keys, mouse, touch and visibility turned into the saver core's input calls.
#pragma once

// Listens to the page's window and canvas from now on; the page's thread.
void ListenToPage();
