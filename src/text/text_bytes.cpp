#include "text_bytes.h"

void lowercaseInPlace(char* text) {
    for (; *text != '\0'; ++text) *text = lowercaseByte(*text);
}
