#include "dessin/EcritImage.h"

#include "engine/EcritureFichier.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>

QString EcritImage(const QImage& image, const QString& nom, const char* format) {
    QByteArray octets;
    QBuffer tampon(&octets);
    tampon.open(QIODevice::WriteOnly);
    if (!image.save(&tampon, format)) return QStringLiteral("codage de l'image impossible");
    return QString::fromStdString(EcritFichierEntier(
        QFile::encodeName(nom).toStdString(),
        std::string_view(octets.constData(), static_cast<std::size_t>(octets.size()))));
}
