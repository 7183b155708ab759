#include "workspace/Jobs.h"

#include <QMetaObject>

namespace vode {

void ThreadJobRunner::run(std::function<void()> work, std::function<void()> finished, QObject* context) {
  waitForWork();
  // The owner of the context waits for the work before it goes, so the
  // context outlives the thread; a finish posted to it then is dropped.
  worker_ = std::thread([work = std::move(work), finished = std::move(finished), context]() mutable {
    work();
    // Queued behind the work's last progress calls, so they all arrive first.
    QMetaObject::invokeMethod(context, std::move(finished), Qt::QueuedConnection);
  });
}

void ThreadJobRunner::waitForWork() {
  if (worker_.joinable()) worker_.join();
}

}  // namespace vode
