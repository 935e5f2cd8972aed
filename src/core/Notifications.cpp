#include "core/Notifications.h"

namespace Notifications {

const NotificationName toolChange;
const NotificationName timeChange;
const NotificationName playStatusChange;
const NotificationName zoomChange;
const NotificationName updateFilter;
const NotificationName endTrackingObject;

}  // namespace Notifications
