#pragma once

#include <QString>
#include <QStringList>
#include <cstdio>
#include <memory>

#include "data/DrawText.h"
#include "data/FileIo.h"
#include "data/Hao.h"
#include "search/Gui2RegMgr.h"
#include "search/WorkDocument.h"

// A work document read back from the disk after the program saved it.
struct TDocument {
    TCodes Draws;
    SearchOptions Options;
    std::unique_ptr<TGui2RegMgr> Manager = std::make_unique<TGui2RegMgr>(Options);

    QStringList DrawTexts() const {
        QStringList texts;
        for (int32_t i = 0; i < Draws.Count(); ++i)
            texts << QString::fromStdString(DrawToText(Draws.GetCode(i)));
        return texts;
    }
};

// False, after telling why, when the file is no readable document.
inline bool Load(const QString& path, TDocument& doc) {
    try {
        ReadWorkDocument(ReadWholeFile(path.toStdString()), doc.Draws, *doc.Manager);
        return true;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cannot read %s: %s\n", path.toUtf8().constData(), e.what());
        return false;
    }
}
