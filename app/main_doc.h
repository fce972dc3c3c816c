// The document type of the framework's New and Open commands. It holds nothing and has no link
// to any calculator: files are written empty and any readable file opens as an empty document.
#pragma once

#include "framework/document.h"

class main_doc : public fw::document {
protected:
    void serialize(fw::archive& ar) override;
};
