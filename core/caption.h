// The main window's caption, which is the program's title line.
#ifndef KESTROVA_CAPTION_H
#define KESTROVA_CAPTION_H

// Composes the title line from the state (the clock while recording or
// playing, else the shown name, a button's tip or the product name) and
// writes it into the caption when it differs from what is there. The only
// writer of the caption after start-up.
void WriteCaption();

#endif
