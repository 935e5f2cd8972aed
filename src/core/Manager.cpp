#include "core/Manager.h"

Manager& Manager::shared() {
    static Manager manager;
    return manager;
}
