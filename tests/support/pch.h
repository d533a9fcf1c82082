// The Qt headers nearly every suite includes, precompiled once for all of them.
#include <QtCore>
#include <QtGui>
#include <QtTest>
#include <QtWidgets>
