#include "app/Application.h"

int main() {
    return drifthold::runGame();
}
