// SPDX-License-Identifier: MIT
// Placing controls by the twip coordinates of the form designs (1440 twips = 1 inch).
#pragma once
#include <initializer_list>

class QLabel;
class QString;
class QWidget;

namespace qm {

// Twips to pixels for controls of w's window, at the screen's logical DPI and the form's
// scale (1 unless FitFormToCaptions enlarged it).
int FormTwipsX(const QWidget* w, int twips);
int FormTwipsY(const QWidget* w, int twips);

// Moves and sizes w inside its parent; all four values in twips. The twips are remembered,
// so FitFormToCaptions can place the control again.
void PlaceTwips(QWidget* w, int left, int top, int width, int height);

// A fixed single border: the client area is width x height twips, the window cannot be
// resized or maximised; it has a close button, and a minimise button when asked for.
void FixClientSizeTwips(QWidget* window, int width, int height, bool minimizeButton = false);

// The designs leave room for a small 8-point font. When the user's font needs more, every
// placed control and the client area grow by one common factor, the way forms scale under
// large system fonts, so no caption is cut off. Call once the form is built.
void FitFormToCaptions(QWidget* window);

// A label of plain text that wraps at its width and sits at its top left, as the forms'
// paragraphs do. Plain text, so "<ALT>-C" is shown as written.
QLabel* AddParagraph(QWidget* parent, const char* name, const QString& text);

// Like PlaceTwips at the form's final scale, without being placed again by
// FitFormToCaptions: a wrapped paragraph's size says nothing about how much the form must grow.
void PlaceScaledTwips(QWidget* w, int left, int top, int width, int height);

// Keyboard tab order through the focusable controls, listed by ascending tab index.
void ChainTabOrder(std::initializer_list<QWidget*> widgets);

}  // namespace qm
