// The sample office: three office access points, a guest network, a lab,
// the print room and the cafe next door.
#include "board/OfficeScenario.h"

namespace marlow::board {

Scenario officeScenario() {
    Scenario office;
    office.seed = 7;
    office.firmware = "1.07";
    office.serial = "TB-000417";
    office.pathLoss = {.referenceDbm = -30,
                       .exponent = 3.2,
                       .pixelsPerMetre = 20,
                       .noiseDb = 2.0,
                       .thresholdDbm = -95};
    office.accessPoints = {
        {{0x00, 0x1A, 0x2B, 0x3C, 0x01, 0x01}, "office", 1, 110, 70, 0},
        {{0x00, 0x1A, 0x2B, 0x3C, 0x01, 0x02}, "office", 6, 400, 280, 0},
        {{0x00, 0x1A, 0x2B, 0x3C, 0x01, 0x03}, "office", 11, 670, 50, 0},
        {{0x00, 0x1A, 0x2B, 0x3C, 0x02, 0x01}, "guest", 11, 135, 335, -3},
        {{0x00, 0x1A, 0x2B, 0x3C, 0x03, 0x01}, "lab-5", 1, 470, 200, 3},
        {{0x00, 0x1A, 0x2B, 0x3C, 0x04, 0x01}, "print-room", 6, 485, 520, -6},
        {{0x7C, 0x2E, 0x0D, 0x10, 0x20, 0x30}, "cafe-next-door", 3, 1050, 650, 6},
    };
    return office;
}

} // namespace marlow::board
