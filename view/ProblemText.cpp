#include "view/ProblemText.h"

#include <QCoreApplication>
#include <string>

namespace zel::gui {

QString ProblemText(const zel::Problem& problem) {
    const std::string english(zel::ProblemTemplate(problem.code));
    const QString translated = QCoreApplication::translate("Problem", english.c_str());
    return QString::fromStdString(zel::FillTemplate(translated.toStdString(), problem.arguments));
}

}  // namespace zel::gui
