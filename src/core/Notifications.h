#pragma once
// The editor's event names. Each is a fresh UUID string made the first time it is used.

#include "platform/dispatch/NotificationCenter.h"

namespace Notifications {

extern const NotificationName toolChange;
extern const NotificationName timeChange;
extern const NotificationName playStatusChange;
extern const NotificationName zoomChange;
extern const NotificationName updateFilter;
extern const NotificationName endTrackingObject;

// Shapes.
extern const NotificationName onEditShape;
extern const NotificationName offEditShape;
extern const NotificationName addShape;
extern const NotificationName cancelAddShape;
extern const NotificationName finishAddShape;
extern const NotificationName deleteShape;
extern const NotificationName addKey;
extern const NotificationName deleteKey;
extern const NotificationName selectKeyframe;
extern const NotificationName changeTrimTime;

// Background. `onEditBackground` carries the index of the tapped button.
extern const NotificationName onEditBackground;
extern const NotificationName offEditBackground;

// Faces.
extern const NotificationName startProcess;
extern const NotificationName progressing;
extern const NotificationName endProcess;
extern const NotificationName onEditFace;
extern const NotificationName offEditFace;

// Objects. `tracking` carries the progress of a tracking run (0 at its start).
extern const NotificationName startTrack;
extern const NotificationName tracking;
extern const NotificationName addMoreObject;
extern const NotificationName cancelAddMoreObject;
extern const NotificationName onEditObjects;
extern const NotificationName offEditObjects;
extern const NotificationName deleteObject;

}  // namespace Notifications
