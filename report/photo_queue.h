#pragma once

#include "pictures/rendition_cache.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace report {

// Decodes the photographs of a report in the order they are drawn, each at the drawn size, on
// worker threads (one per core, at most four) beside the drawing thread. Each worker decodes one
// photograph at a time and runs at most as many ahead of the one being drawn as there are workers,
// so no more than twice that many pictures (at the drawn size) are ever held. With a program
// folder, a photograph is read from its rendition (pictures/rendition_cache.h) when it has one, and
// its rendition is written when it has none yet.
class PhotoQueue {
  public:
    // Every file is fitted into `box` pixels.
    PhotoQueue(std::vector<QString> files, QSize box, const QString& programFolder = QString());
    ~PhotoQueue();
    PhotoQueue(const PhotoQueue&) = delete;
    PhotoQueue& operator=(const PhotoQueue&) = delete;

    // The next photograph in order, waiting for its decoding if need be; a null picture for a file
    // that is missing or cannot be read, or once all were taken.
    QImage take();

  private:
    void work();

    const std::vector<QString> files_;
    const QSize box_;
    const pictures::RenditionCache cache_;
    std::mutex lock_;
    std::condition_variable changed_;
    std::size_t taken_ = 0;   // pictures handed out
    std::size_t claimed_ = 0; // pictures a worker has started on
    std::vector<QImage> ready_;
    std::vector<char> done_; // ready_[i] holds picture i's outcome
    bool stop_ = false;
    std::size_t ahead_ = 1; // how far the workers may run ahead of the drawing
    std::vector<std::thread> workers_;
};

} // namespace report
