#pragma once

#include <QImage>
#include <QList>
#include <QRectF>
#include <QString>

class QPainter;

// The pictures of the manual's pages, drawn as a technical illustrator
// would: the car, the engine, the cooling circuit, the brakes, the wiring,
// the fuse box, and the animated piston of the cover.
namespace illustrations {

// The Vantrel saloon seen from the side, fitted into `r`.
void paintCar(QPainter& p, const QRectF& r);
// A studio backdrop with a floor, empty or with the car standing on it.
QImage studioBackdrop(int width, int height);
QImage carStudio(int width, int height);
// The car on a turntable, one frame per step of a full turn (the cover's
// "3D" clip).
QList<QImage> carTurntable(int width, int height, int count);

QImage engineSection(int width, int height);
QImage timingBelt(int width, int height);
QImage coolingCircuit(int width, int height);
QImage brakeAssembly(int width, int height);
QImage brakePads(int width, int height);
QImage wiringDiagram(int width, int height);
QImage batteryCheck(int width, int height);
QImage fuseBox(int width, int height);
QImage dashboardLamps(int width, int height);
QImage warningSign(int size);
// Frames of the piston animation (crank turning once).
QList<QImage> pistonFrames(int width, int height, int count);

} // namespace illustrations
