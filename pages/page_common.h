#pragma once
// What the source selection pages share: the white page palette, the picture-button style
// sheet, the blue push buttons, the list frame and the header band.

#include <QPalette>
#include <QString>

class QListView;
class QPainter;
class QPushButton;
class QWidget;

// "QPushButton{ border-image: url(:normal); }QPushButton:hover{ ... }QPushButton:pressed{ ... }"
// from three resource paths without the leading colon.
QString button_style_sheet(const QString &normal, const QString &hover, const QString &pressed);

// White window, base and button colours with black texts and grey disabled texts.
QPalette page_palette();

// Gives page its palette and an opaque background (the frame around it is translucent).
void setup_page(QWidget *page, const char *object_name, int w, int h);

// The blue picture button of the list pages: Arial 11 bold, white text.
QPushButton *make_blue_button(QWidget *page, const char *object_name, bool refresh);

// The list view with its thin blue frame and per-pixel scrolling.
void setup_list_view(QListView *view);

// Fills (0, 0, w, band height) with the header band picture repeated across the width.
void paint_header_band(QPainter &painter, int w);
