#include "SystemErrors.h"

#include <cerrno>
#include <cstring>

using namespace Qt::StringLiterals;

QString SystemErrorText(int errorNumber)
{
    switch (errorNumber) {
    case ENOENT:
        return u"ファイルまたはフォルダが見つかりません"_s;
    case EACCES:
    case EPERM:
        return u"アクセスが許可されていません"_s;
    case EROFS:
        return u"読み取り専用のドライブです"_s;
    case ENOSPC:
        return u"ディスクの空き容量が足りません"_s;
#ifdef EDQUOT
    case EDQUOT:
        return u"ディスクの使用量の上限を超えました"_s;
#endif
    case EFBIG:
        return u"ファイルが大きすぎます"_s;
    case ENAMETOOLONG:
        return u"ファイル名またはパスが長すぎます"_s;
    case ENOTDIR:
        return u"パスの途中にフォルダではないものがあります"_s;
    case EISDIR:
        return u"同じ名前のフォルダがあります"_s;
    case EEXIST:
        return u"同じ名前のファイルまたはフォルダが既にあります"_s;
    case ENOTEMPTY:
        return u"フォルダが空ではありません"_s;
    case EIO:
        return u"ディスクの読み書きでエラーが起きました"_s;
    case EMFILE:
    case ENFILE:
        return u"開いているファイルが多すぎます"_s;
    case ELOOP:
        return u"シンボリックリンクが多すぎるか、循環しています"_s;
    case EBUSY:
    case ETXTBSY:
        return u"ファイルが使用中です"_s;
    case EXDEV:
        return u"別のドライブへは移動できません"_s;
    case EINVAL:
        return u"名前または操作が正しくありません"_s;
    case ENXIO:
    case ENODEV:
        return u"デバイスがありません"_s;
    case EAGAIN:
        return u"いまは利用できません"_s;
    case ENOMEM:
        return u"メモリが足りません"_s;
    default:
        break;
    }
    const QString system = QString::fromLocal8Bit(std::strerror(errorNumber));
    return u"システムのエラー（%1）"_s.arg(system);
}

QString LastSystemErrorText()
{
    return SystemErrorText(errno);
}

QString VisibleText(QString text)
{
    return text.replace(QChar(0), QChar(0x2400));
}
