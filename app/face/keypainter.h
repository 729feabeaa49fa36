#pragma once

#include <QRect>

class QPainter;
struct KeySpec;

// The colour families of the keys: ivory digits, silver function keys, the red
// C·CE key and the teal tax keys.
enum class KeyFamily { Digit, Function, Red, Teal };

KeyFamily keyFamily(int index);

// Paints one raised key filling `rect` (picture pixels), with its legend
// centred on the key's top face.
void paintKey(QPainter& painter, const KeySpec& key, const QRect& rect);
