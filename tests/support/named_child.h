// Finding a window's control by its design name, as the window tests do throughout.
#pragma once

#include <gtest/gtest.h>

#include <QObject>
#include <QString>
#include <QWidget>

namespace zep4::test {

// The child of `root` named `name`; a test failure naming the control when there is none.
template <typename T = QWidget>
T* namedChild(const QObject* root, const char* name) {
    T* w = root->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << "no control named " << name;
    return w;
}

}  // namespace zep4::test
