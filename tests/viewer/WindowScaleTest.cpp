// The window made larger: every control at its natural place times the scale,
// the panes their natural picture enlarged, the mouse read through the scale,
// controls made or moved later scaled too, and the zoom entries with the size
// kept for the next run.
#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QScreen>

#include "formats/WindowSizeFile.h"
#include "support/GuiTestSupport.h"
#include "viewer/PaneWidget.h"
#include "viewer/WindowScale.h"

using namespace vode;
using namespace vode::test;

namespace {

// The window's own controls: not the insides a control makes for itself.
bool ownedByControl(QWidget* w) {
  for (QWidget* p = w; p && !p->isWindow(); p = p->parentWidget()) {
    if (p->objectName().startsWith("qt_")) return true;
    if (p != w && (qobject_cast<QAbstractScrollArea*>(p) || qobject_cast<QAbstractSpinBox*>(p) ||
                   qobject_cast<QComboBox*>(p)))
      return true;
  }
  return w->isWindow();
}

// The rectangle of a control in the client area's coordinates.
QRect inClient(QWidget* w, QWidget* client) { return QRect(w->mapTo(client, QPoint(0, 0)), w->size()); }

}  // namespace

TEST(WindowScale, TwiceTheSizeIsTheNaturalPictureDoubled) {
  WindowFixture f;
  f.load(makeRecording(80, 2));
  f.form().DoAnalyzeClick();
  f.form().set_current_segment(30);
  QWidget* client = f.form().centralWidget();
  QHash<QWidget*, QRect> natural;
  for (QWidget* w : client->findChildren<QWidget*>())
    if (!ownedByControl(w)) natural.insert(w, w->geometry());
  const QImage one = client->grab().toImage();
  QList<QRect> panes;
  for (const char* name : {"FlowBox", "SonoBox", "TagBox", "TimeBox", "FreqBox", "DBBox"})
    panes << inClient(control(f.form(), name), client);

  f.form().zoomWindow(2.0);
  EXPECT_EQ(client->size(), QSize(1264, 888));
  EXPECT_EQ(f.form().zoom(), 2.0);
  EXPECT_EQ(client->font().pixelSize(), 26);
  for (auto it = natural.cbegin(); it != natural.cend(); ++it) {
    if (!ownedByControl(it.key())) {
      EXPECT_EQ(it.key()->geometry(), QRect(it->topLeft() * 2, it->size() * 2)) << it.key()->objectName().toStdString();
    }
  }

  // The panes with the segment markers over them. (Their sunken frames
  // differ in the two mitred corners a two-pixel shade draws.)
  const QImage two = client->grab().toImage();
  for (const QRect& r : panes) {
    int differing = 0;
    for (int y = 0; y < 2 * r.height(); ++y)
      for (int x = 0; x < 2 * r.width(); ++x)
        differing += two.pixel(2 * r.x() + x, 2 * r.y() + y) != one.pixel(r.x() + x / 2, r.y() + y / 2);
    EXPECT_EQ(differing, 0) << r.x() << "," << r.y();
  }

  // And back: the natural picture again, pixel for pixel.
  f.form().zoomWindow(1.0);
  EXPECT_EQ(client->size(), QSize(632, 444));
  EXPECT_EQ(client->grab().toImage(), one);
}

TEST(WindowScale, MouseReadsThePixelPaintedUnderIt) {
  WindowFixture f;
  f.load(makeRecording(80, 2));
  auto* sono = static_cast<PaneWidget*>(control(f.form(), "SonoBox"));
  sendMouse(sono, QEvent::MouseMove, {57, 100});
  const QString natural = f.form().cursorStatus();

  f.form().zoomWindow(1.5);
  ASSERT_EQ(sono->size(), QSize(600, 360));
  // Logical column 57 covers widget pixels 85 and 86 (centres 85.5 and
  // 86.5 lie in [85.5, 87)); 84 still belongs to column 56.
  sendMouse(sono, QEvent::MouseMove, {85, 150});
  EXPECT_EQ(f.form().cursorStatus(), natural);
  EXPECT_EQ(sono->cursorLine(), 57);
  const QImage picture = sono->grab().toImage();
  const QRgb under = picture.pixel(85, 10);
  EXPECT_EQ(picture.pixel(86, 10), under);
  EXPECT_NE(picture.pixel(84, 10), under);  // the inverted hair line ends there
  EXPECT_NE(picture.pixel(87, 10), under);

  // 5 s per screen: 8 pixels a segment, so pixel 83 (logical 55) is
  // segment 6 and pixel 84 (logical 56) segment 7.
  sendMouse(sono, QEvent::MouseButtonPress, {83, 150}, Qt::LeftButton);
  sendMouse(sono, QEvent::MouseButtonRelease, {83, 150}, Qt::LeftButton);
  EXPECT_EQ(f.state().CurrentSegment, 6);
  sendMouse(sono, QEvent::MouseButtonPress, {84, 150}, Qt::LeftButton);
  sendMouse(sono, QEvent::MouseButtonRelease, {84, 150}, Qt::LeftButton);
  EXPECT_EQ(f.state().CurrentSegment, 7);
  // The marker follows in natural coordinates: segment 7 at 40 + 1 + 56 - 1.
  EXPECT_EQ(f.form().windowScale().naturalGeometry(control(f.form(), "SonoShape")).x(), 96);
  EXPECT_EQ(control(f.form(), "SonoShape")->x(), 144);
}

TEST(WindowScale, ControlsMadeOrMovedLaterScaleToo) {
  WindowFixture f;
  QWidget* client = f.form().centralWidget();
  f.form().show();
  f.form().zoomWindow(2.0);
  auto* label = new QLabel("late", client);
  label->setGeometry(10, 20, 50, 16);
  label->show();
  QFont own = label->font();
  own.setPixelSize(10);
  label->setFont(own);
  QCoreApplication::processEvents();
  EXPECT_EQ(label->geometry(), QRect(20, 40, 100, 32));
  EXPECT_EQ(label->font().pixelSize(), 20);
  label->move(30, 40);  // code that knows only the natural layout
  EXPECT_EQ(label->geometry(), QRect(60, 80, 100, 32));
  f.form().zoomWindow(1.0);
  EXPECT_EQ(label->geometry(), QRect(30, 40, 50, 16));
  EXPECT_EQ(label->font().pixelSize(), 10);
}

TEST(WindowScale, ZoomEntriesAndTheKeptSize) {
  TempDir config, temp;
  WindowOptions options;
  options.configDir = config.path().string() + "/";
  options.tempDir = temp.path().string() + "/";
  options.keepWindowSize = true;
  ScriptedGuiPrompter prompter;
  {
    TMainForm form(prompter, options);
    const struct {
      const char* name;
      const char* caption;
      QKeySequence shortcut;
      QSize client;
    } entries[] = {{"Zoom2001", "200 %", {}, {1264, 888}},
                   {"ZoomOut1", "Zoom &Out", QKeySequence(Qt::CTRL | Qt::Key_Minus), {948, 666}},
                   {"Zoom1001", "100 %", QKeySequence(Qt::CTRL | Qt::Key_0), {632, 444}},
                   {"ZoomIn1", "Zoom &In", QKeySequence(Qt::CTRL | Qt::Key_Plus), {948, 666}}};
    for (const auto& e : entries) {
      QAction* entry = form.action(e.name);
      ASSERT_NE(entry, nullptr) << e.name;
      EXPECT_EQ(entry->text(), e.caption);
      EXPECT_EQ(entry->shortcut(), e.shortcut);
      entry->trigger();
      EXPECT_EQ(form.centralWidget()->size(), e.client) << e.name;
    }
    EXPECT_EQ(form.action("ZoomWindow1")->text(), "Zoom window");
    EXPECT_TRUE(form.action("Zoom1501")->isChecked());
    EXPECT_FALSE(form.action("Zoom1001")->isChecked());
    form.close();
  }
  EXPECT_EQ(loadWindowSize(options.configDir).width, 948);
  const auto restored = [&](const char* size) {
    const std::string text = std::string("[Window]\nclientSize=@Size(") + size + ")\n";
    writeBytes(options.configDir + "window.ini", {text.begin(), text.end()});
    auto form = std::make_unique<TMainForm>(prompter, options);
    // Whatever the file asks, the window fits the screen, or is no larger
    // than its natural size where the screen is smaller still.
    const QSize room = form->screen()->availableGeometry().size();
    const QSize frame = form->frameGeometry().size();
    EXPECT_TRUE(frame.width() <= room.width() || form->centralWidget()->width() == 632) << size;
    EXPECT_TRUE(frame.height() <= room.height() || form->centralWidget()->height() == 444) << size;
    return form;
  };
  EXPECT_EQ(restored("700 460")->centralWidget()->size(), QSize(700, 460));
  restored("948 666");
  const auto huge = restored("32767 32767");
  // Smaller than natural is never kept.
  huge->resize(100, 100);
  EXPECT_GE(huge->centralWidget()->width(), 632);
}

TEST(WindowScale, AWiderWindowDrawsTheSameSecondsWider) {
  WindowFixture f;
  f.load(makeRecording(80, 2));
  f.form().set_current_segment(30);
  f.form().show();
  QWidget* client = f.form().centralWidget();
  const QImage one = client->grab().toImage();
  const QRect dbBar = inClient(control(f.form(), "DBArea"), client);
  const QRect channels = inClient(control(f.form(), "ChannelRadioGroup"), client);
  f.form().resize(f.form().size() + QSize(300, 0));
  QCoreApplication::processEvents();
  ASSERT_EQ(client->size(), QSize(932, 444));
  EXPECT_EQ(f.form().windowScale().extraWidth(), 300);

  auto* sono = static_cast<PaneWidget*>(control(f.form(), "SonoBox"));
  EXPECT_NEAR(sono->width(), 400 + 300 * 400 / 402, 1);
  EXPECT_EQ(sono->height(), 240);
  EXPECT_EQ(sono->logicalSize(), QSize(400, 240));
  EXPECT_EQ(inClient(control(f.form(), "DBArea"), client), dbBar.translated(300, 0));
  EXPECT_EQ(inClient(control(f.form(), "ChannelRadioGroup"), client), channels);
  const QRect scrollBar = inClient(control(f.form(), "ScrollBar"), client);
  EXPECT_EQ(scrollBar.right(), inClient(sono, client).right());
  // The marker still frames the current segment, stretched with it.
  const QRect marker = inClient(control(f.form(), "SonoShape"), client);
  const qreal sx = sono->scale().width();
  EXPECT_NEAR(marker.left(), inClient(sono, client).left() + (30 - f.state().FirstSegment) * 8 * sx - 1, 2);
  // A screen holds the same segments: the right end is the last of them.
  sendMouse(sono, QEvent::MouseButtonPress, QPoint(sono->width() - 1, 100), Qt::LeftButton);
  sendMouse(sono, QEvent::MouseButtonRelease, QPoint(sono->width() - 1, 100), Qt::LeftButton);
  EXPECT_EQ(f.state().CurrentSegment, f.state().FirstSegment + 49);

  // Back at the natural size: the same picture, pixel for pixel.
  f.form().set_current_segment(30);
  f.form().zoomWindow(1.0);
  QCoreApplication::processEvents();
  EXPECT_EQ(client->grab().toImage(), one);
}
