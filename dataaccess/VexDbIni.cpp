#include "dataaccess/VexDbIni.h"

#include "controls/VexMessage.h"
#include "dataaccess/VexHost.h"
#include "dataaccess/VexSession.h"
#include "dataaccess/VexUtils.h"
#include "platform/data/ADODB.h"
#include "platform/os/Text.h"
#include "platform/ui/Forms.h"
#include "platform/ui/KeyState.h"

namespace dataaccess {

using platform::data::TParameters;

namespace {

std::string Utf8(const QString& Text) { return Text.toStdString(); }
QString FromUtf8(const std::string& Text) { return QString::fromStdString(Text); }

QStringList FromUtf8(const std::vector<std::string>& Texts) {
    QStringList List;
    for (const std::string& Text : Texts) List << FromUtf8(Text);
    return List;
}

// The key ignoring case but nothing else (a Like would take '_' and '%' as
// patterns); a settings object without user matches the rows stored with Null.
QString WhereClause(int IdUsuario) {
    return QStringLiteral(" Where Upper(IdPersistencia) = Upper(:IdPersistencia) and ") +
           (IdUsuario == 0 ? QStringLiteral("IdUsuario Is Null") : QStringLiteral("IdUsuario = :IdUsuario"));
}

void AddKeyParameters(TParameters& Params, const QString& Key, int IdUsuario, bool NullUser) {
    Params.CreateParameter("IdPersistencia", platform::data::ftString, Key);
    if (IdUsuario != 0) Params.CreateParameter("IdUsuario", platform::data::ftInteger, IdUsuario);
    else if (NullUser) Params.CreateParameter("IdUsuario", platform::data::ftInteger, platform::data::Null());
}

// What the ini text cannot hold without reading back as something else.
QString UnstorableReason(const QString& Section, const QString& Ident, const QString& Value) {
    const auto HasLineBreak = [](const QString& Text) {
        return Text.contains(QLatin1Char('\r')) || Text.contains(QLatin1Char('\n'));
    };
    if (HasLineBreak(Section) || HasLineBreak(Ident) || HasLineBreak(Value))
        return QStringLiteral("Quebra de linha em nome ou valor.");
    if (Ident.contains(QLatin1Char('='))) return QStringLiteral("Caractere '=' no nome do valor.");
    return QString();
}

void ReportToBatch(const std::exception& E) {
    const auto* Desktop = dynamic_cast<const controls::EDesktopError*>(&E);
    SessionMessages().AddMessage(QString::fromStdString(E.what()), Desktop ? Desktop->Details() : QString(),
                              controls::dkError, controls::ButtonSet({controls::dbOK}), 0, 0);
}

}  // namespace

TVexDBIni::TVexDBIni(const QString& Key, platform::data::TADOConnection* Connection, int IdUsuario)
    : FKey(Key), FConnection(Connection), FIdUsuario(IdUsuario) {
    Load();
}

TVexDBIni::~TVexDBIni() {
    if (!FModified) return;
    // A destructor that raises ends the program: the error is told through the batch instead.
    try {
        Save();
    } catch (const platform::os::EAbort&) {
    } catch (const std::exception& E) {
        ReportToBatch(E);
    }
}

void TVexDBIni::Load() {
    const Qt::KeyboardModifiers Reset = Qt::ControlModifier | Qt::ShiftModifier;
    if ((platform::ui::HeldModifiers() & Reset) == Reset &&
        controls::ShowMessageDialog(kConfirmSettingsReset, QString(), controls::dkConfirmation,
                                    controls::ButtonSet({controls::dbYes, controls::dbNo}), 0, 0,
                                    controls::AutoCancelResult) == platform::ui::mrYes) {
        Clear();
        return;
    }
    TParameters Params;
    AddKeyParameters(Params, FKey, FIdUsuario, false);
    const QString Sql = "Select Dados From sys_Persistencia" + WhereClause(FIdUsuario);
    const QVariantList Row = SessionConnection(FConnection).SelectRow(Sql, &Params);
    const QByteArray Blob = Row.isEmpty() ? QByteArray() : Row[0].toByteArray();
    if (Blob.isEmpty()) return;
    platform::os::TMemoryStream Packed, Text;
    Packed.Write(Blob.constData(), Blob.size());
    DecompressStream(Packed, Text, true);
    FIni.SetText(platform::os::AnsiToUtf8(std::string_view(Text.Memory(), static_cast<size_t>(Text.Size()))));
}

void TVexDBIni::Save() {
    platform::data::TADOConnection& Connection = SessionConnection(FConnection);
    TParameters Find;
    AddKeyParameters(Find, FKey, FIdUsuario, false);
    const bool Exists =
        !Connection.SelectRow("Select IdPersistencia From sys_Persistencia" + WhereClause(FIdUsuario), &Find).isEmpty();

    const std::string Text = platform::os::Utf8ToAnsi(FIni.Text());
    platform::os::TMemoryStream Plain, Packed;
    Plain.Write(Text.data(), static_cast<int64_t>(Text.size()));
    CompressStream(Plain, Packed, true);
    TParameters Params;
    Params.CreateParameter("Dados", platform::data::ftBlob).LoadFromStream(Packed);
    AddKeyParameters(Params, FKey, FIdUsuario, !Exists);
    Connection.Execute(Exists ? "Update sys_persistencia Set Dados = :Dados" + WhereClause(FIdUsuario)
                              : QStringLiteral("Insert Into sys_persistencia (IdPersistencia, IdUsuario, Dados) "
                                               "Values (:IdPersistencia, :IdUsuario, :Dados)"),
                       &Params);
    FModified = false;
}

QString TVexDBIni::ReadString(const QString& Section, const QString& Ident, const QString& Default) const {
    return FromUtf8(FIni.ReadString(Utf8(Section), Utf8(Ident), Utf8(Default)));
}

int TVexDBIni::ReadInteger(const QString& Section, const QString& Ident, int Default) const {
    return FIni.ReadInteger(Utf8(Section), Utf8(Ident), Default);
}

bool TVexDBIni::ReadBool(const QString& Section, const QString& Ident, bool Default) const {
    return FIni.ReadBool(Utf8(Section), Utf8(Ident), Default);
}

bool TVexDBIni::SectionExists(const QString& Section) const { return FIni.SectionExists(Utf8(Section)); }

bool TVexDBIni::ValueExists(const QString& Section, const QString& Ident) const {
    return FIni.ValueExists(Utf8(Section), Utf8(Ident));
}

QStringList TVexDBIni::ReadSections() const { return FromUtf8(FIni.ReadSections()); }

QStringList TVexDBIni::ReadSection(const QString& Section) const { return FromUtf8(FIni.ReadSection(Utf8(Section))); }

void TVexDBIni::WriteString(const QString& Section, const QString& Ident, const QString& Value) {
    try {
        const QString Reason = UnstorableReason(Section, Ident, Value);
        if (!Reason.isEmpty()) throw platform::os::Exception(Utf8(Reason));
        FIni.WriteString(Utf8(Section), Utf8(Ident), Utf8(Value));
    } catch (const std::exception& E) {
        throw controls::EDesktopError(QString(kSettingsWriteError).arg(Section, Ident),
                                      QString::fromStdString(E.what()));
    }
    FModified = true;
}

void TVexDBIni::WriteInteger(const QString& Section, const QString& Ident, int Value) {
    WriteString(Section, Ident, QString::number(Value));
}

void TVexDBIni::WriteBool(const QString& Section, const QString& Ident, bool Value) {
    WriteString(Section, Ident, Value ? QStringLiteral("1") : QStringLiteral("0"));
}

void TVexDBIni::Clear() {
    FIni.Clear();
    FModified = true;
}

void TVexDBIni::EraseSection(const QString& Section) { FIni.EraseSection(Utf8(Section)); }

void TVexDBIni::DeleteKey(const QString& Section, const QString& Ident) { FIni.DeleteKey(Utf8(Section), Utf8(Ident)); }

void RegisterStoredSettings() {
    controls::SetStoredSettingsOpener([](const QString& Key) -> std::unique_ptr<controls::TStoredSettings> {
        const platform::data::TADOConnection* Connection = Host() ? Host()->DefaultConnection() : nullptr;
        if (!Connection || !Connection->Connected()) return nullptr;
        // A window still opens when its settings cannot be read; the reason goes to the batch.
        try {
            return std::make_unique<TVexDBIni>(Key, nullptr, CurrentUserId());
        } catch (const platform::os::EAbort&) {
        } catch (const std::exception& E) {
            ReportToBatch(E);
        }
        return nullptr;
    });
}

}  // namespace dataaccess
