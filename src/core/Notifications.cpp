#include "core/Notifications.h"

namespace Notifications {

const NotificationName toolChange;
const NotificationName timeChange;
const NotificationName playStatusChange;
const NotificationName zoomChange;
const NotificationName updateFilter;
const NotificationName endTrackingObject;

const NotificationName onEditShape;
const NotificationName offEditShape;
const NotificationName addShape;
const NotificationName cancelAddShape;
const NotificationName finishAddShape;
const NotificationName deleteShape;
const NotificationName addKey;
const NotificationName deleteKey;
const NotificationName selectKeyframe;
const NotificationName changeTrimTime;

const NotificationName onEditBackground;
const NotificationName offEditBackground;

const NotificationName startProcess;
const NotificationName progressing;
const NotificationName endProcess;
const NotificationName onEditFace;
const NotificationName offEditFace;

const NotificationName startTrack;
const NotificationName tracking;
const NotificationName addMoreObject;
const NotificationName cancelAddMoreObject;
const NotificationName onEditObjects;
const NotificationName offEditObjects;
const NotificationName deleteObject;

}  // namespace Notifications
