#include "map_defects.h"

#include <cstdio>

DefectReport defectReport(DefectKind kind) {
    switch (kind) {
    case NoRoomAboveZero:
    case DescribedTwice:
        return BareMessage;
    case TooManyLines:
    case LineSlotUsed:
    case TooManyExits:
    case MalformedExit:
    case MapChanged:
    case RoomMissing:
    case AutomaticCircle:
    case UnknownRoomKind:
        return ErrorMessage;
    default:
        return SilentDefect;
    }
}

void formatDefectMessage(const MapDefect& defect, char* text, std::size_t size) {
    unsigned room = defect.room;
    switch (defect.kind) {
    case NoRoomAboveZero:
        std::snprintf(text, size, "Nincs helyiseg");
        break;
    case DescribedTwice:
        std::snprintf(text, size, "Hibas terkep: %u helysegnek tobb leirasa is van", room);
        break;
    case TooManyLines:
        std::snprintf(text, size, "Tul sok kiirando sor (max. 16)");
        break;
    case LineSlotUsed:
        std::snprintf(text, size, "Hasznalt Helysor");
        break;
    case TooManyExits:
        std::snprintf(text, size, "Tul sok irany (max. 9)");
        break;
    case MalformedExit:
        std::snprintf(text, size, "#irany: hibas parameterezes");
        break;
    case MapChanged:
        std::snprintf(text, size, "A terkep megvaltozott betoltes kozben");
        break;
    case RoomMissing:
        std::snprintf(text, size, "Hibas terkep: %u helyiseg nem letezik", room);
        break;
    case AutomaticCircle:
        std::snprintf(text, size, "%s a %u helyisegnel", AUTOMATIC_CIRCLE_MESSAGE, room);
        break;
    case UnknownRoomKind:
        std::snprintf(text, size, "Program error: unknown Verekozas type");
        break;
    default:
        if (size > 0) text[0] = '\0';
        break;
    }
}
