#include "ui/DocumentFeed.h"

#include <utility>

TDocumentFeed::TDocumentFeed(TDocumentView view, QObject* parent)
    : QObject(parent), view_(std::move(view)) {}
